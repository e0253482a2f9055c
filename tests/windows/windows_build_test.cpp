// The Windows build itself, under Wine: the LZO built from source for it
// round-trips a block past the 32 KiB boundary on a worker thread, and
// kobpack.exe carries its version resource, manifest and icon.
#include <gtest/gtest.h>
#include <lzo/lzo1x.h>

#include <windows.h>

#include <string>
#include <thread>
#include <vector>

TEST(WindowsBuild, LzoRoundTripsOnAWorkerThread)
{
    ASSERT_EQ(lzo_init(), LZO_E_OK);
    std::vector<unsigned char> in(32769), packed(in.size() + in.size() / 16 + 67), out(in.size());
    for (size_t i = 0; i < in.size(); ++i)
        in[i] = static_cast<unsigned char>((i * 7919) >> (i % 5));
    lzo_uint packedSize = 0, outSize = out.size();
    int compressed = -1, decompressed = -1;
    std::thread worker([&] {
        std::vector<unsigned char> work(LZO1X_999_MEM_COMPRESS);
        compressed = lzo1x_999_compress(in.data(), in.size(), packed.data(), &packedSize, work.data());
        decompressed = lzo1x_decompress_safe(packed.data(), packedSize, out.data(), &outSize, nullptr);
    });
    worker.join();
    EXPECT_EQ(compressed, LZO_E_OK);
    EXPECT_EQ(decompressed, LZO_E_OK);
    EXPECT_LT(packedSize, in.size());
    EXPECT_EQ(out, in);
}

TEST(WindowsBuild, KobpackCarriesVersionManifestAndIcon)
{
    const std::wstring exe(KOBPACK_EXE_W);
    DWORD ignored = 0;
    std::vector<char> info(GetFileVersionInfoSizeW(exe.c_str(), &ignored));
    ASSERT_FALSE(info.empty()) << "no version resource in kobpack.exe";
    ASSERT_TRUE(GetFileVersionInfoW(exe.c_str(), 0, static_cast<DWORD>(info.size()), info.data()));
    wchar_t* version = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(info.data(), L"\\StringFileInfo\\040904B0\\ProductVersion",
                               reinterpret_cast<void**>(&version), &length));
    EXPECT_EQ(std::wstring(version), std::wstring(KOBPACK_VERSION_W));

    HMODULE module = LoadLibraryExW(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(module, nullptr);
    HRSRC manifest = FindResourceW(module, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));
    ASSERT_NE(manifest, nullptr) << "no application manifest in kobpack.exe";
    const char* text = static_cast<const char*>(LockResource(LoadResource(module, manifest)));
    const std::string xml(text, SizeofResource(module, manifest));
    EXPECT_NE(xml.find("<longPathAware xmlns=\"http://schemas.microsoft.com/SMI/2016/WindowsSettings\">true<"),
              std::string::npos);
    EXPECT_EQ(xml.find("activeCodePage"), std::string::npos) << "the process keeps the ANSI code page";
    EXPECT_NE(xml.find(">PerMonitorV2, PerMonitor<"), std::string::npos) << "drawn for each monitor's scale";

    // Its icon in 32-bit colour at every size from 16 to 256 pixels (written 0).
    HRSRC group = FindResourceW(module, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(14)); // RT_GROUP_ICON
    ASSERT_NE(group, nullptr) << "kobpack.exe has no icon";
    const auto* entries = static_cast<const unsigned char*>(LockResource(LoadResource(module, group)));
    std::vector<std::pair<int, int>> sizes; // pixels, bits
    for (int i = 0; i < entries[4]; ++i)
        sizes.emplace_back(entries[6 + 14 * i], entries[6 + 14 * i + 6]);
    EXPECT_EQ(sizes, (std::vector<std::pair<int, int>>{{16, 32}, {24, 32}, {32, 32}, {48, 32}, {64, 32}, {128, 32}, {0, 32}}));
    FreeLibrary(module);
}
