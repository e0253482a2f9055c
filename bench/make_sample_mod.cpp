// kobpack-samplemod OUTDIR [demo|small|medium|large]
//
// Writes a sample mod for the demo and the benchmark: a mod root with an
// Archives folder, mod folders of script-like text, meshes, textures, sound
// and music, a folder of empty files, and a kelVane game folder with two
// levels. The same scale always gives the same bytes: every file's content
// follows from its path alone.

#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

// Left in the root, so that a later run may replace a folder it made itself
// and nothing else.
constexpr char kMarker[] = ".kobpack-sample-mod";

struct Scale {
    const char* name;
    unsigned units; // each unit adds about 4 MB
};
constexpr Scale kScales[] = {{"demo", 1}, {"small", 5}, {"medium", 49}, {"large", 247}};

// splitmix64: small, fast, and the same on every machine.
class Random {
public:
    explicit Random(uint64_t seed) : m_state(seed) {}
    uint64_t next()
    {
        uint64_t z = (m_state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    uint32_t below(uint32_t bound) { return static_cast<uint32_t>(next() % bound); }
    double unit() { return static_cast<double>(next() >> 11) / 9007199254740992.0; }

private:
    uint64_t m_state;
};

uint64_t seedOf(const std::string& path)
{
    uint64_t hash = 0xCBF29CE484222325ull; // FNV-1a
    for (const char c : path) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 0x100000001B3ull;
    }
    return hash;
}

void putWord(std::string& out, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

// Lines of the game's script language: compressible, as real ones are.
std::string scriptText(size_t size, Random& rng)
{
    static const char* const verbs[] = {"ObjectTemplate.create", "ObjectTemplate.setPosition", "ObjectTemplate.addTemplate",
                                        "ObjectTemplate.geometry", "ObjectTemplate.setMass", "rem",
                                        "GeometryTemplate.create", "ObjectTemplate.collisionMesh", "include",
                                        "ObjectTemplate.setNetworkableInfo", "ObjectTemplate.hasMobilePhysics"};
    static const char* const words[] = {"SimpleObject", "Bundle", "PlayerControlObject", "EngineSpring", "wheel_front",
                                        "turret", "hull", "barrel", "door_left", "mesh/lod0", "true", "false"};
    std::string out;
    out.reserve(size + 128);
    char number[64];
    while (out.size() < size) {
        out += verbs[rng.below(sizeof verbs / sizeof verbs[0])];
        out += ' ';
        out += words[rng.below(sizeof words / sizeof words[0])];
        switch (rng.below(3)) {
        case 0:
            std::snprintf(number, sizeof number, " %u", rng.below(100));
            break;
        case 1:
            std::snprintf(number, sizeof number, " %.3f/%.3f/%.3f", rng.unit() * 10, rng.unit() * 4, rng.unit() * 10);
            break;
        default:
            number[0] = '\0';
        }
        out += number;
        out += "\r\n";
    }
    out.resize(size);
    return out;
}

// A binary mesh: a small header, then vertices of a smooth surface with a
// little noise: partly compressible.
std::string meshBytes(size_t size, Random& rng)
{
    std::string out = "MESH";
    putWord(out, 1);
    putWord(out, static_cast<uint32_t>(size));
    for (uint32_t i = 0; out.size() < size; ++i) {
        const float t = static_cast<float>(i) * 0.01f;
        const float vertex[3] = {std::sin(t) * 4.0f, std::cos(t * 0.5f) * 2.0f,
                                 t + static_cast<float>(rng.below(16)) * 0.0009765625f};
        uint32_t bits[3];
        std::memcpy(bits, vertex, sizeof bits);
        for (const uint32_t b : bits)
            putWord(out, b);
    }
    out.resize(size);
    return out;
}

// A texture-like file: a 128-byte header, then 4x4 colour blocks with two
// end colours from a gradient and index bits that are mostly the same few
// patterns, as flat areas give: compressible to about two thirds.
std::string textureBytes(size_t size, Random& rng)
{
    static const uint32_t patterns[] = {0x00000000, 0x55555555, 0xAAAAAAAA, 0xFFFFFFFF,
                                        0x0000FFFF, 0xFFFF0000, 0x50505050, 0x05050505};
    std::string out = "DDS ";
    putWord(out, 124);
    out.resize(128, '\0');
    for (uint32_t block = 0; out.size() < size; ++block) {
        const uint32_t shade = (block / 64) & 0x1F;
        putWord(out, (shade << 11) | ((block & 0x3F) << 5) | (31 - shade));
        const bool detailed = rng.below(3) == 0;
        putWord(out, detailed ? static_cast<uint32_t>(rng.next()) : patterns[rng.below(8)]);
    }
    out.resize(size);
    return out;
}

// Audio-like data: a wave header, then samples that LZO can barely shrink.
std::string audioBytes(size_t size, Random& rng)
{
    std::string out = "RIFF";
    putWord(out, static_cast<uint32_t>(size - 8));
    out += "WAVEfmt ";
    putWord(out, 16);
    putWord(out, 0x00020001); // PCM, two channels
    putWord(out, 44100);
    putWord(out, 44100 * 4);
    putWord(out, 0x00100004); // 4 bytes a frame, 16 bits a sample
    out += "data";
    putWord(out, static_cast<uint32_t>(size - 44));
    while (out.size() < size) {
        const uint64_t r = rng.next();
        out.append(reinterpret_cast<const char*>(&r), sizeof r);
    }
    out.resize(size);
    return out;
}

using Maker = std::string (*)(size_t, Random&);

class ModWriter {
public:
    explicit ModWriter(fs::path root) : m_root(std::move(root)) {}

    // Writes root/relative with `size` bytes from `maker`; false on failure,
    // with a message.
    bool file(const std::string& relative, size_t size, Maker maker)
    {
        Random rng(seedOf(relative));
        const std::string content = maker ? maker(size, rng) : std::string();
        const fs::path path = m_root / relative;
        std::error_code ec;
        fs::create_directories(path.parent_path(), ec);
        std::FILE* out = std::fopen(path.c_str(), "wb");
        bool ok = out && std::fwrite(content.data(), 1, content.size(), out) == content.size();
        if (out && std::fclose(out) != 0)
            ok = false;
        if (!ok) {
            std::fprintf(stderr, "kobpack-samplemod: cannot write %s: %s\n", path.c_str(), std::strerror(errno));
            return false;
        }
        ++m_files;
        m_bytes += content.size();
        return true;
    }

    unsigned files() const { return m_files; }
    uint64_t bytes() const { return m_bytes; }

private:
    fs::path m_root;
    unsigned m_files = 0;
    uint64_t m_bytes = 0;
};

// Sizes vary from file to file, the same way on every run.
size_t sizeFor(const std::string& relative, size_t low, size_t high)
{
    Random rng(seedOf(relative) ^ 0x5A5A5A5Aull);
    return low + rng.below(static_cast<uint32_t>(high - low + 1));
}

bool writeUnit(ModWriter& mod, unsigned unit)
{
    char tag[16];
    std::snprintf(tag, sizeof tag, "%03u", unit);
    const std::string u = tag;
    bool ok = true;

    // objects: nested folders of many small scripts, and meshes (~1.4 MB)
    static const char* const kinds[] = {"vehicles/land", "vehicles/air", "weapons/Handheld", "staticObjects"};
    for (unsigned k = 0; k < 4; ++k) {
        for (unsigned item = 0; item < 4; ++item) {
            const std::string dir = std::string("objects/") + kinds[k] + "/item_" + u + "_" + std::to_string(item);
            for (unsigned s = 0; s < 9; ++s) {
                const std::string name = dir + (s % 3 == 0 ? "/Tweak_" : "/part_") + std::to_string(s)
                                       + (s % 2 ? ".con" : ".tweak");
                ok = ok && mod.file(name, sizeFor(name, 200, 8000), scriptText);
            }
            const std::string mesh = dir + "/Meshes/" + "item_" + std::to_string(item) + ".staticMesh";
            ok = ok && mod.file(mesh, sizeFor(mesh, 20000, 70000), meshBytes);
        }
    }
    // textures, letter case as artists leave it (~1 MB)
    static const char* const textures[] = {"Grass", "rock_02", "SAND", "Concrete", "metal_plate", "wood",
                                           "Snow", "dirt", "Bark", "leaves", "Asphalt", "water"};
    for (const char* texture : textures) {
        const std::string name = "textures/set_" + u + "/" + texture + (texture[0] < 'a' ? ".DDS" : ".dds");
        ok = ok && mod.file(name, sizeFor(name, 60000, 110000), textureBytes);
    }
    // sound and music: nearly incompressible (~1.3 MB)
    for (unsigned s = 0; s < 8; ++s) {
        const std::string name = "sound/bank_" + u + "/effect_" + std::to_string(s) + ".wav";
        ok = ok && mod.file(name, sizeFor(name, 60000, 140000), audioBytes);
    }
    for (unsigned s = 0; s < 2; ++s) {
        const std::string name = "music/track_" + u + "_" + std::to_string(s) + ".wav";
        ok = ok && mod.file(name, sizeFor(name, 200000, 300000), audioBytes);
    }
    // menu scripts, and the game's own folder and levels (~0.8 MB)
    for (unsigned s = 0; s < 6; ++s) {
        const std::string name = "menu/screen_" + u + "_" + std::to_string(s) + ".con";
        ok = ok && mod.file(name, sizeFor(name, 2000, 12000), scriptText);
    }
    for (unsigned s = 0; s < 12; ++s) {
        const std::string name = "kelVane/game/settings_" + u + "/rules_" + std::to_string(s) + ".con";
        ok = ok && mod.file(name, sizeFor(name, 1000, 9000), scriptText);
    }
    for (const char* level : {"Alpine", "Lowlands"}) {
        const std::string dir = std::string("kelVane/levels/") + level;
        const std::string height = dir + "/Heightmaps/heightmap_" + u + ".raw";
        ok = ok && mod.file(height, sizeFor(height, 100000, 200000), meshBytes);
        for (unsigned s = 0; s < 8; ++s) {
            const std::string name = dir + "/Objects/placement_" + u + "_" + std::to_string(s) + ".con";
            ok = ok && mod.file(name, sizeFor(name, 2000, 15000), scriptText);
        }
    }
    return ok;
}

bool writeFixedFiles(ModWriter& mod)
{
    bool ok = mod.file("init.con", 0, [](size_t, Random&) {
        return std::string("rem Sample mod made by kobpack-samplemod\r\ngame.CustomGameName SampleMod\r\n");
    });
    // The block boundaries of compressed entries.
    for (const size_t size : {size_t(1), size_t(32767), size_t(32768), size_t(32769), size_t(65536)}) {
        const std::string name = "objects/boundary/block_" + std::to_string(size) + ".con";
        ok = ok && mod.file(name, size, scriptText);
    }
    // One large texture: the file that the benchmark edits between repacks.
    ok = ok && mod.file("textures/terrain/colormap.dds", 1 << 20, textureBytes);
    for (const char* name : {"placeholders/empty.con", "placeholders/Empty.tweak", "placeholders/deep/none.dds"})
        ok = ok && mod.file(name, 0, nullptr);
    for (const char* level : {"Alpine", "Lowlands"}) {
        const std::string name = std::string("kelVane/levels/") + level + "/init.con";
        ok = ok && mod.file(name, 600, scriptText);
    }
    return ok;
}

// Makes `root` ready: absent, empty, or a sample mod from an earlier run
// (then emptied). Anything else is left alone.
bool prepareRoot(const fs::path& root)
{
    std::error_code ec;
    if (fs::exists(root, ec) && !fs::is_empty(root, ec)) {
        if (!fs::exists(root / kMarker, ec)) {
            std::fprintf(stderr, "kobpack-samplemod: %s exists and is not a sample mod; not touched\n", root.c_str());
            return false;
        }
        for (const fs::directory_entry& entry : fs::directory_iterator(root, ec))
            fs::remove_all(entry.path(), ec);
    }
    fs::create_directories(root / "Archives", ec);
    if (ec) {
        std::fprintf(stderr, "kobpack-samplemod: cannot make %s: %s\n", root.c_str(), ec.message().c_str());
        return false;
    }
    return true;
}

} // namespace

constexpr char kUsage[] = "usage: kobpack-samplemod OUTDIR [demo|small|medium|large]\n";

int main(int argc, char** argv)
{
    // No folder is made from an option; a folder whose name begins with '-'
    // can still be given as ./-name.
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "-h" || arg == "--help") {
            std::printf("%s\nWrites a sample mod into OUTDIR (replacing only a sample mod made there\n"
                        "before): an Archives folder, mod folders, sound, music and a kelVane game\n"
                        "folder with two levels. Each scale adds about 4 MB per step: demo 1,\n"
                        "small 5, medium 49, large 247. The same scale always gives the same bytes.\n",
                        kUsage);
            return 0;
        }
        if (arg.size() > 1 && arg[0] == '-') {
            std::fprintf(stderr, "kobpack-samplemod: unknown option %s\n%s", arg.c_str(), kUsage);
            return 2;
        }
    }
    if (argc < 2 || argc > 3) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    const std::string scaleName = argc == 3 ? argv[2] : "demo";
    const Scale* scale = nullptr;
    for (const Scale& s : kScales)
        if (scaleName == s.name)
            scale = &s;
    if (!scale) {
        std::fprintf(stderr, "kobpack-samplemod: unknown scale %s (demo, small, medium or large)\n", scaleName.c_str());
        return 2;
    }
    const fs::path root = argv[1];
    if (!prepareRoot(root))
        return 1;

    ModWriter mod(root);
    bool ok = mod.file(kMarker, 0, [](size_t, Random&) { return std::string("kobpack-samplemod\n"); });
    ok = ok && writeFixedFiles(mod);
    for (unsigned unit = 0; ok && unit < scale->units; ++unit)
        ok = writeUnit(mod, unit);
    if (!ok)
        return 1;
    std::printf("sample mod (%s): %u files, %.1f MB in %s\n", scale->name, mod.files(), mod.bytes() / 1048576.0,
                root.c_str());
    return 0;
}
