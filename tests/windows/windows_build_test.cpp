// The Windows build itself, under Wine: kobpack.exe carries its version
// resource, manifest and icon. (The LZO built from source for it is what the
// core tests compress with under Wine, on worker threads too, and decompress
// with lzo1x_decompress_safe.)
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

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
