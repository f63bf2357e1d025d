// A picture file's bytes through the reading rules (CR LF read as one line
// feed), recognition, the bit view, the log drawing and both output forms,
// all in memory. The same bytes, taken as an input list and as paths, go
// through the output naming, which must never name anything outside the
// output folder.

#include "fuzz/FuzzCheck.h"

#include "picture/EmsPictureWriter.h"
#include "picture/LogoReader.h"
#include "picture/PictureBatch.h"
#include "picture/PictureFormat.h"
#include "picture/PictureLog.h"
#include "platform/InputList.h"
#include "platform/TextFile.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>

namespace {

using namespace picture;
using namespace picture::format;

void CheckImage(const LogoImage& image, std::string_view text) {
    if (image.kind == LogoKind::NotAPicture) {
        FUZZ_CHECK(!image.valid && image.width == 0 && image.height == 0);
        FUZZ_CHECK(image.data.empty() && image.report.empty() && image.notice.empty());
        return;
    }
    FUZZ_CHECK(image.width == kWidth);
    FUZZ_CHECK(image.height == kSmallHeight || image.height == kLargeHeight);
    FUZZ_CHECK(!image.report.empty() && image.report.back() == '\n');
    const std::size_t pictureChars = static_cast<std::size_t>(image.height) * kRowChars;
    const bool allHex = image.data.find_first_not_of("0123456789abcdefABCDEF") == std::string::npos;
    FUZZ_CHECK(image.valid == (image.data.size() == pictureChars && allHex));
    FUZZ_CHECK(image.threePart == (image.valid && image.height == kLargeHeight));
    if (image.kind == LogoKind::PngImage || image.kind == LogoKind::BmpImage ||
        image.kind == LogoKind::PbmImage) {
        // An image is read as its bits in upper-case digits.
        FUZZ_CHECK(image.valid && image.notice.empty());
        FUZZ_CHECK(image.data.find_first_not_of("0123456789ABCDEF") == std::string::npos);
        return;
    }
    // The data is the text after its header, unchanged.
    FUZZ_CHECK(text.size() >= image.data.size());
    FUZZ_CHECK(text.substr(text.size() - image.data.size()) == image.data);
    const bool headerless = image.kind == LogoKind::OperatorLogoNoHeader ||
                            image.kind == LogoKind::PictureMessageNoHeader;
    FUZZ_CHECK(headerless == !image.notice.empty());
    FUZZ_CHECK(!headerless || (image.data.size() == text.size() && image.valid));
}

void CheckDrawing(const LogoImage& image) {
    const std::string bits = PictureBits(image.data);
    FUZZ_CHECK(bits.size() == 4 * image.data.size());
    FUZZ_CHECK(bits.find_first_not_of("01") == std::string::npos);
    for (std::size_t i = 0; i < image.data.size(); ++i) {
        const char c = image.data[i];
        const bool hex = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
        FUZZ_CHECK(bits.substr(4 * i, 4) == (hex ? NibbleBits(HexDigitValue(c)) : "0000"));
    }

    const std::string drawing = PictureDrawing(image.data, image.width, image.height);
    if (image.height == 0) {
        FUZZ_CHECK(drawing.empty());
        return;
    }
    // height rows of exactly 72 cells, a line feed between rows.
    const std::size_t width = kWidth;
    const auto rows = static_cast<std::size_t>(image.height);
    FUZZ_CHECK(drawing.size() == rows * (width + 1) - 1);
    for (std::size_t i = 0; i < drawing.size(); ++i) {
        const bool lineEnd = i % (width + 1) == width;
        FUZZ_CHECK(lineEnd ? drawing[i] == '\n' : (drawing[i] == '*' || drawing[i] == ' '));
        if (!lineEnd) {
            const std::size_t cell = i / (width + 1) * width + i % (width + 1);
            FUZZ_CHECK((drawing[i] == '*') == (cell < bits.size() && bits[cell] == '1'));
        }
    }
}

void CheckOutputForm(const LogoImage& image) {
    if (!image.valid)
        return;
    const std::string reference = MakeReference(static_cast<std::time_t>(image.data.size()));
    FUZZ_CHECK(reference.size() == 2);
    FUZZ_CHECK(reference.find_first_not_of("0123456789ABCDEF") == std::string::npos);
    const std::string form = EmsPictureText(image, reference);
    if (!image.threePart) {
        FUZZ_CHECK(form == image.data);
        FUZZ_CHECK(form.size() == kSmallPictureChars);
    } else {
        // Three lines of 260, 252 and 84 characters, each ending in a line feed.
        FUZZ_CHECK(form.size() == 260 + 252 + 84 + 3);
        const std::string_view text = form;
        FUZZ_CHECK(text.substr(0, 6) == kLine1Head && text.substr(6, 2) == reference);
        FUZZ_CHECK(text.substr(8, 11) == kLine1Elements &&
                   text.substr(19, 1) == kDistributionDigit);
        FUZZ_CHECK(text.substr(20, 16) == kLine1Picture);
        FUZZ_CHECK(text[260] == '\n');
        FUZZ_CHECK(text.substr(261, 6) == kLine2Head && text.substr(267, 2) == reference);
        FUZZ_CHECK(text.substr(269, 20) == kLine2Elements);
        FUZZ_CHECK(text[513] == '\n');
        FUZZ_CHECK(text.substr(514, 6) == kLine3Head && text.substr(520, 2) == reference);
        FUZZ_CHECK(text.substr(522, 20) == kLine3Elements);
        FUZZ_CHECK(text[598] == '\n');
        // Every picture character once, columns 0-31, 32-63 and 64-71 of each row.
        for (std::size_t r = 0; r < 28; ++r) {
            const std::string_view row = std::string_view(image.data).substr(r * kRowChars, 18);
            FUZZ_CHECK(text.substr(36 + 8 * r, 8) == row.substr(0, 8));
            FUZZ_CHECK(text.substr(289 + 8 * r, 8) == row.substr(8, 8));
            FUZZ_CHECK(text.substr(542 + 2 * r, 2) == row.substr(16, 2));
        }
    }
    // On disk every line feed is CR LF and nothing else changes.
    const std::string disk = platform::LfToCrlf(form);
    std::size_t lineFeeds = 0;
    for (const char c : form)
        lineFeeds += c == '\n' ? 1 : 0;
    FUZZ_CHECK(disk.size() == form.size() + lineFeeds);
}

void CheckOutputPath(std::string_view inputPath, std::string_view outputDir) {
    const std::string path = OutputPathFor(inputPath, outputDir);
    FUZZ_CHECK(path.substr(0, outputDir.size()) == outputDir);
    const std::string_view name = std::string_view(path).substr(outputDir.size());
    // A name directly inside the folder: no separator, never "." or "..".
    FUZZ_CHECK(name.find('/') == std::string_view::npos);
    FUZZ_CHECK(name.size() >= 3 && name.substr(name.size() - 3) == kOutputEnding);
    const std::size_t slash = inputPath.rfind('/');
    const std::string_view file =
        slash == std::string_view::npos ? inputPath : inputPath.substr(slash + 1);
    // The name keeps a start of the file name: all but its last three bytes,
    // or up to three fewer where those would split a UTF-8 character.
    const std::string_view kept = name.substr(0, name.size() - 3);
    const std::size_t plain = file.size() > 3 ? file.size() - 3 : 0;
    FUZZ_CHECK(file.substr(0, kept.size()) == kept);
    FUZZ_CHECK(kept.size() <= plain && kept.size() + 3 >= plain);
    const bool ascii = std::all_of(file.begin(), file.end(),
                                   [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    FUZZ_CHECK(!ascii || kept.size() == plain);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view raw(reinterpret_cast<const char*>(data), size);

    const std::string text = platform::CrlfToLf(raw);
    const LogoImage image = RecogniseLogo(text);
    CheckImage(image, text);
    CheckDrawing(image);
    CheckOutputForm(image);

    for (const std::string_view folder : {"out/", "/", "a/b/../c/"})
        CheckOutputPath(raw, folder);
    for (const std::string& name : platform::SplitInputList(raw))
        CheckOutputPath(name, "out/");
    return 0;
}
