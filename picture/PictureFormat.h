#pragma once
// The picture formats: the Smart Messaging picture files read (hexadecimal
// text, two digits an octet, 72-pixel rows of 18 digits, a header or none)
// and the EMS picture files written (3GPP TS 23.040), with the report lines
// and notices that recognition gives.

#include "sms/UserDataHeader.h"

#include <cstddef>
#include <string_view>

namespace picture::format {

// Sizes: every picture is 72 pixels wide, one bit a pixel, rows from the top.
inline constexpr int kWidth = 72;
inline constexpr int kSmallHeight = 14; // operator logo, OTA bitmap 72x14
inline constexpr int kLargeHeight = 28; // picture message, OTA bitmap 72x28
inline constexpr std::size_t kRowChars = 18;
inline constexpr std::size_t kSmallPictureChars = kSmallHeight * kRowChars; // 252
inline constexpr std::size_t kLargePictureChars = kLargeHeight * kRowChars; // 504

// Headers, compared as stored (upper case). An operator logo's header is
// ten characters: the version "30", the network code (not looked at) and
// the line feed octet "0A" at characters 9 and 10.
inline constexpr std::string_view kOperatorLogoVersion = "30";
inline constexpr std::string_view kOperatorLogoLineFeed = "0A";
inline constexpr std::size_t kOperatorLogoLineFeedAt = 8;
inline constexpr std::size_t kOperatorLogoHeaderChars = 10;
// OTA bitmap: info field 00, width 0x48, height 0x0E or 0x1C, depth 01.
inline constexpr std::string_view kOta72x14Header = "00480E01";
inline constexpr std::string_view kOta72x28Header = "00481C01";

// Recognition's report lines (for the log) and notices (for a message).
inline constexpr std::string_view kOperatorLogoReport =
    "Operator logo found: OTA BitMap width=72 height=14 colors=1\n";
inline constexpr std::string_view kOta72x14Report =
    "Ota bitmap found: OTA BitMap width=72 height=14 colors=1\n";
inline constexpr std::string_view kOta72x28Report =
    "Ota Bitmap found: OTA BitMap width=72 height=28 colors=1\n";
inline constexpr std::string_view kOperatorLogoNotice =
    "Operator logo without header found! width=72 height=14 colors=1";
inline constexpr std::string_view kPictureMessageNotice =
    "Picture Message without header found! width=72 height=28 colors=1";

// An image file (PNG, BMP or netpbm PBM) of a picture's size is read as the
// same bits in header-less hexadecimal data (upper-case digits). Its report
// line names the kind: "PNG image found! width=72 height=14 colors=1\n".
// A larger file is no picture.
inline constexpr std::string_view kImageReportFound = " image found! width=72 height=";
inline constexpr std::string_view kImageReportColors = " colors=1\n";
inline constexpr std::size_t kMaxImageBytes = std::size_t{4} << 20;

// The output file's name: the input's, its last three characters replaced.
inline constexpr std::string_view kOutputEnding = "lgo";
// The picture as a PNG image beside it: "png" in place of "lgo".
inline constexpr std::string_view kPngEnding = "png";

// A 72x28 picture is written as three lines, each the user data header of
// one message of a three-part concatenated message: the header length and
// the concatenation element's head ("00 03"), the two-character reference,
// the rest of the concatenation element, the Object Distribution Indicator
// (first message only) and User Prompt Indicator, and the head of a
// variable picture 4, 4 and 1 octets wide and 28 pixels high, followed by
// the picture columns 0-31, 32-63 and 64-71 of every row.
inline constexpr std::string_view kLine1Head = "810003";
inline constexpr std::string_view kLine1Elements = "03011702040";
inline constexpr std::string_view kDistributionDigit = "1"; // the distribution attributes
inline constexpr std::string_view kLine1Picture = "130103127300041C";
inline constexpr std::string_view kLine2Head = "7D0003";
inline constexpr std::string_view kLine2Elements = "0302130103127300041C";
inline constexpr std::string_view kLine3Head = "290003";
inline constexpr std::string_view kLine3Elements = "0303130103121F00011C";

// A 72x14 picture fits one short message: its user data is a header of one
// variable picture (header length 131; element length 129, position 0,
// 9 octets = 72 pixels wide, 14 high) followed by the bare picture data.
inline constexpr std::string_view kSmallPictureHead = "83128100090E";

// Each text above is the user-data header's elements (sms/UserDataHeader.h)
// written out; the compiler holds them to it.
namespace header = sms::udh;
// A variable picture of `octets` octets a row and 28 rows: its element's
// length counts its head and its rows.
constexpr unsigned PictureLength(unsigned octets, unsigned rows) {
    return static_cast<unsigned>(header::kVariablePictureHead) + octets * rows;
}
static_assert(kLine1Head == header::Hex(0x81, header::kConcatenation8,
                                         header::kConcatenation8Octets).View());
static_assert(kLine2Head == header::Hex(0x7D, header::kConcatenation8,
                                         header::kConcatenation8Octets).View());
static_assert(kLine3Head == header::Hex(0x29, header::kConcatenation8,
                                         header::kConcatenation8Octets).View());
// Message 1 of 3; 4 elements under the distribution indicator (its
// attributes are the distribution digit that follows); a prompt over 3
// objects; a picture 4 octets wide.
constexpr auto kLine1ElementsWithDigit =
    header::Hex(0x03, 0x01, header::kObjectDistributionIndicator, 0x02, 0x04, 0x01);
static_assert(kLine1ElementsWithDigit.View().substr(0, kLine1Elements.size()) == kLine1Elements &&
              kLine1ElementsWithDigit.View().substr(kLine1Elements.size()) == kDistributionDigit);
static_assert(kLine1Picture == header::Hex(header::kUserPromptIndicator, 0x01, 0x03,
                                            header::kVariablePicture, PictureLength(4, 28), 0x00,
                                            0x04, kLargeHeight)
                                   .View());
static_assert(kLine2Elements == header::Hex(0x03, 0x02, header::kUserPromptIndicator, 0x01, 0x03,
                                             header::kVariablePicture, PictureLength(4, 28), 0x00,
                                             0x04, kLargeHeight)
                                    .View());
static_assert(kLine3Elements == header::Hex(0x03, 0x03, header::kUserPromptIndicator, 0x01, 0x03,
                                             header::kVariablePicture, PictureLength(1, 28), 0x00,
                                             0x01, kLargeHeight)
                                    .View());
// The whole header of a 72x14 picture: its length and one variable picture
// 9 octets wide, 14 rows high.
static_assert(kSmallPictureHead == header::Hex(2 + PictureLength(9, 14), header::kVariablePicture,
                                                PictureLength(9, 14), 0x00, 0x09, kSmallHeight)
                                       .View());

} // namespace picture::format
