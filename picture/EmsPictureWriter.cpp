#include "picture/EmsPictureWriter.h"

#include "picture/PictureFormat.h"

#include "platform/Ascii.h"
#include "platform/TextFile.h"
#include "platform/Utf8.h"

#include <algorithm>
#include <random>

namespace picture {
namespace {

using namespace format;

// Appends columns [first, first + count) of every row, top row first.
void AppendColumns(std::string& out, std::string_view data, int rows, std::size_t first,
                   std::size_t count) {
    for (int r = 0; r < rows; ++r) {
        const std::size_t start = static_cast<std::size_t>(r) * kRowChars + first;
        if (start >= data.size())
            break;
        out.append(data.substr(start, count));
    }
}

// Where a name is cut to drop its last three bytes (all of a shorter one),
// moved back to the start of a UTF-8 character the cut would split. A byte
// of no valid sequence is a character of its own.
std::size_t CutForExtension(std::string_view name) {
    const std::size_t cut = name.size() - std::min(kOutputEnding.size(), name.size());
    for (std::size_t back = 1; back <= 3 && back <= cut; ++back) {
        const std::size_t start = cut - back;
        char32_t ignored;
        if (platform::DecodeUtf8(name, start, ignored) > back)
            return start;
        if ((static_cast<unsigned char>(name[start]) & 0xC0) != 0x80)
            break; // a character starts here and ends before the cut
    }
    return cut;
}

} // namespace

std::string OutputPathFor(std::string_view inputPath, std::string_view outputDir) {
    const auto slash = inputPath.rfind('/');
    std::string_view name =
        slash == std::string_view::npos ? inputPath : inputPath.substr(slash + 1);
    name = name.substr(0, CutForExtension(name));
    std::string path;
    path.reserve(outputDir.size() + name.size() + kOutputEnding.size());
    path.append(outputDir).append(name).append(kOutputEnding);
    return path;
}

std::string BesideOutput(std::string_view outputPath, std::string_view ending) {
    if (outputPath.ends_with(kOutputEnding))
        outputPath.remove_suffix(kOutputEnding.size());
    return std::string(outputPath).append(ending);
}

std::string MakeReference(std::time_t seconds) {
    std::minstd_rand generator(static_cast<std::minstd_rand::result_type>(seconds));
    std::string reference(2, '0');
    reference[0] = platform::kUpperHexDigits[generator() % 16];
    reference[1] = platform::kUpperHexDigits[generator() % 16];
    return reference;
}

std::string MakeReference() {
    return MakeReference(std::time(nullptr));
}

std::string EmsPictureText(const LogoImage& image, std::string_view reference) {
    if (!image.threePart)
        return image.data;
    const int rows = image.height;
    std::string text;
    text.reserve(3 * 30 + image.data.size());
    text.append(kLine1Head).append(reference).append(kLine1Elements).append(kDistributionDigit);
    text.append(kLine1Picture);
    AppendColumns(text, image.data, rows, 0, 8);
    text.append("\n").append(kLine2Head).append(reference).append(kLine2Elements);
    AppendColumns(text, image.data, rows, 8, 8);
    text.append("\n").append(kLine3Head).append(reference).append(kLine3Elements);
    AppendColumns(text, image.data, rows, 16, 2);
    text.append("\n");
    return text;
}

bool WriteEmsPicture(const std::string& outputPath, std::string_view text,
                     platform::FileSystem& files) {
    return platform::WriteFileReplacing(outputPath, platform::LfToCrlf(text), files).ok();
}

bool WriteEmsPicture(const std::string& outputPath, const LogoImage& image) {
    const std::string reference = image.threePart ? MakeReference() : std::string();
    return WriteEmsPicture(outputPath, EmsPictureText(image, reference));
}

} // namespace picture
