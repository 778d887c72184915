// Generator for the GB18030 tables in gb18030_tables.inc, which is kept as
// source so the decoder reads the same everywhere. Run on request only:
//   cmake --build BUILD --target regenerate-gb18030-tables
//
// The mappings come from the system iconv so that we never hand-maintain a
// 24000-entry table; the overrides below pin what browsers show wherever an
// iconv differs. Only the parts that are tables are generated; the
// arithmetic parts of the decoder (supplementary planes, sequence shapes)
// live in the decoder itself.
//
// Output representation:
// - Two-byte area: a flat char32_t array indexed by pointer, 0 where iconv
//   rejects the pair. char32_t rather than char16_t because a few pairs map
//   outside the BMP, and a flat array keeps the common case a single load.
// - Four-byte BMP area (pointers 0..39419): almost all of it maps
//   consecutive pointers to consecutive code points, so it is stored as a
//   couple of hundred runs (first pointer, first code point) instead of
//   40000 entries; a run whose first code point is 0 is unmapped.

#include <iconv.h>

#include <array>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

namespace {

constexpr int kTwoByteCount = 126 * 190;
constexpr std::uint32_t kFourByteBmpLast = 39419;

class Converter {
public:
    Converter() : cd_(iconv_open("UTF-32LE", "GB18030")) {}
    ~Converter() {
        if (ok())
            iconv_close(cd_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

    // The single code point the bytes decode to, or nothing if iconv rejects
    // them or yields anything other than exactly one code point.
    std::optional<char32_t> decode(const unsigned char* bytes, std::size_t n) {
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        std::array<char, 4> in{};
        std::memcpy(in.data(), bytes, n);
        std::array<unsigned char, 16> out{};
        char* inPtr = in.data();
        std::size_t inLeft = n;
        char* outPtr = reinterpret_cast<char*>(out.data());
        std::size_t outLeft = out.size();
        if (iconv(cd_, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<std::size_t>(-1) || inLeft != 0 ||
            out.size() - outLeft != 4) {
            return std::nullopt;
        }
        const char32_t cp = out[0] | out[1] << 8 | out[2] << 16 | static_cast<char32_t>(out[3]) << 24;
        if (cp == 0)
            return std::nullopt;  // 0 is our "unmapped" marker
        return cp;
    }

private:
    iconv_t cd_;
};

// Where glibc's GB18030 data departs from the index browsers decode with, the
// browsers win: a page should read here as it reads in a browser.
struct Override {
    std::uint32_t pointer;
    char32_t codePoint;
};

constexpr Override kTwoByteOverrides[] = {
    {6555, 0x3000},   // A3 A0
    {23767, 0xE816},  // FE 51
    {23768, 0xE817},  // FE 52
    {23769, 0xE818},  // FE 53
    {23794, 0xE831},  // FE 6C
    {23804, 0xE83B},  // FE 76
    {23830, 0xE855},  // FE 91
    // Older glibc still gives private-use points for these; browsers show the real characters.
    {7182, 0xFE10},   // A6 D9
    {7183, 0xFE12},   // A6 DA
    {7184, 0xFE11},   // A6 DB
    {7185, 0xFE13},   // A6 DC
    {7186, 0xFE14},   // A6 DD
    {7187, 0xFE15},   // A6 DE
    {7188, 0xFE16},   // A6 DF
    {7201, 0xFE17},   // A6 EC
    {7202, 0xFE18},   // A6 ED
    {7208, 0xFE19},   // A6 F3
    {23775, 0x9FB4},  // FE 59
    {23783, 0x9FB5},  // FE 61
    {23788, 0x9FB6},  // FE 66
    {23789, 0x9FB7},  // FE 67
    {23795, 0x9FB8},  // FE 6D
    {23812, 0x9FB9},  // FE 7E
    {23829, 0x9FBA},  // FE 90
    {23845, 0x9FBB},  // FE A0
};

// Four-byte runs glibc rejects since it moved these characters to two-byte pairs.
struct RangeOverride {
    std::uint32_t firstPointer;
    std::uint32_t lastPointer;
    char32_t firstCodePoint;
};

constexpr RangeOverride kFourByteOverrides[] = {
    {19057, 19064, 0x9FB4},  // 82 35 90 37 .. 82 35 91 34
    {39076, 39085, 0xFE10},  // 84 31 82 36 .. 84 31 83 35
};

char32_t fourByteOverride(std::uint32_t pointer, char32_t codePoint) {
    for (const RangeOverride& range : kFourByteOverrides) {
        if (pointer >= range.firstPointer && pointer <= range.lastPointer) {
            return range.firstCodePoint + (pointer - range.firstPointer);
        }
    }
    return codePoint;
}

struct Run {
    std::uint32_t firstPointer;
    char32_t firstCodePoint;  // 0: unmapped
};

std::vector<char32_t> twoByteTable(Converter& conv) {
    std::vector<char32_t> table(kTwoByteCount, 0);
    for (int pointer = 0; pointer < kTwoByteCount; ++pointer) {
        const int trail = pointer % 190;
        const unsigned char bytes[2] = {static_cast<unsigned char>(0x81 + pointer / 190),
                                        static_cast<unsigned char>(trail + (trail < 0x3F ? 0x40 : 0x41))};
        table[pointer] = conv.decode(bytes, 2).value_or(0);
    }
    for (const Override& fix : kTwoByteOverrides)
        table[fix.pointer] = fix.codePoint;
    return table;
}

std::vector<Run> fourByteBmpRuns(Converter& conv) {
    std::vector<Run> runs;
    char32_t expected = 0;  // what the current run predicts for this pointer
    for (std::uint32_t pointer = 0; pointer <= kFourByteBmpLast; ++pointer) {
        const unsigned char bytes[4] = {
            static_cast<unsigned char>(0x81 + pointer / 12600), static_cast<unsigned char>(0x30 + pointer / 1260 % 10),
            static_cast<unsigned char>(0x81 + pointer / 10 % 126), static_cast<unsigned char>(0x30 + pointer % 10)};
        const char32_t cp = fourByteOverride(pointer, conv.decode(bytes, 4).value_or(0));
        if (runs.empty() || cp != expected)
            runs.push_back({pointer, cp});
        expected = cp == 0 ? 0 : cp + 1;
    }
    return runs;
}

void writeHex(std::ofstream& out, std::uint32_t value, std::size_t index) {
    out << (index % 12 == 0 ? "\n " : "") << " 0x" << std::hex << value << std::dec << ',';
}

bool write(const std::string& path, const std::vector<char32_t>& twoByte, const std::vector<Run>& runs) {
    std::ofstream out(path, std::ios::trunc);
    out << "// Generated by gb18030-tablegen (target regenerate-gb18030-tables). Do not edit.\n"
           "constexpr char32_t kGb18030TwoByte["
        << twoByte.size() << "] = {";
    for (std::size_t i = 0; i < twoByte.size(); ++i)
        writeHex(out, twoByte[i], i);
    out << "\n};\n\nconstexpr std::uint16_t kGb18030RunFirstPointer[" << runs.size() << "] = {";
    for (std::size_t i = 0; i < runs.size(); ++i)
        writeHex(out, runs[i].firstPointer, i);
    out << "\n};\n\nconstexpr char32_t kGb18030RunFirstCodePoint[" << runs.size() << "] = {";
    for (std::size_t i = 0; i < runs.size(); ++i)
        writeHex(out, runs[i].firstCodePoint, i);
    out << "\n};\n";
    out.close();
    return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT.inc\n", argv[0]);
        return 2;
    }
    Converter conv;
    if (!conv.ok()) {
        std::fprintf(stderr, "gb18030-tablegen: iconv lacks GB18030: %s\n", std::strerror(errno));
        return 1;
    }
    const std::vector<char32_t> twoByte = twoByteTable(conv);
    const std::vector<Run> runs = fourByteBmpRuns(conv);
    if (!write(argv[1], twoByte, runs)) {
        std::fprintf(stderr, "gb18030-tablegen: cannot write %s\n", argv[1]);
        std::remove(argv[1]);
        return 1;
    }
    return 0;
}
