#pragma once
// Reading and recognising one Smart Messaging picture file: five accepted
// layouts, all 72 pixels wide, told apart by their header and their length.
// Picture data must be hexadecimal digits. An image file (PNG, BMP, netpbm
// PBM) of 72x14 or 72x28 pixels is taken as the same picture in header-less
// data. Nothing here keeps state between files.

#include "imaging/Image.h"
#include "platform/FileSystem.h"

#include <optional>
#include <string>
#include <string_view>

namespace picture {

enum class LogoKind {
    OperatorLogoWithHeader, // "30", network code, "0A", then 72x14 data
    OtaBitmap72x14,         // "00480E01", then 72x14 data
    OtaBitmap72x28,         // "00481C01", then 72x28 data
    OperatorLogoNoHeader,   // bare 72x14 data
    PictureMessageNoHeader, // bare 72x28 data
    PngImage,               // an image file of 72x14 or 72x28 pixels
    BmpImage,
    PbmImage,
    NotAPicture,
};

// What recognition found in one file.
struct LogoImage {
    LogoKind kind = LogoKind::NotAPicture;
    bool valid = false;     // the data after the header is one picture: its length, hex digits
    int width = 0;          // 72, or 0 for NotAPicture
    int height = 0;         // 14 or 28, or 0 for NotAPicture
    std::string data;       // the characters after the header (an image's bits in
                            // upper-case hexadecimal digits); empty for NotAPicture
    bool threePart = false; // a valid 72x28 picture, written as three messages
    std::string report;     // the log line, ending with "\n"; empty for NotAPicture
    std::string notice;     // the informational message of the header-less kinds
};

// The text of the file at path, a CR LF pair read as one "\n" and a text
// with a byte-order mark read as that encoding (platform/ByteOrderMark.h);
// nothing when the file cannot be opened. A file too long to be any picture
// is read only as far as needed to tell so: the text returned then is its
// beginning, still longer than any picture, and recognises exactly as the
// whole would. A file that begins like an image is read as its bytes,
// unchanged, up to one byte more than the largest image taken.
std::optional<std::string> ReadLogoText(const std::string& path,
                                        platform::FileSystem& files = platform::SystemFiles());

// Decides the layout of a whole file's text. Headers are compared as stored
// (upper case). Data holding anything but hexadecimal digits counts as data
// of the wrong length: after a header the file is of that kind but not
// valid; without a header it is no picture at all. A text that begins like
// an image is that image when it decodes to 72x14 or 72x28 pixels, and no
// picture at all otherwise.
LogoImage RecogniseLogo(std::string_view text);

// The value of one hexadecimal digit; other characters give values outside 0-15.
int HexDigitValue(char c);

// The base-2 digits of v, padded on the left with "0" to four digits.
// A negative v is written as its 32-bit two's complement.
std::string NibbleBits(int v);

// Four base-2 digits for every character of data, most significant first;
// a character that is no hexadecimal digit counts as "0000".
std::string PictureBits(std::string_view data);

// The picture of a valid image as cells, width by height, dark where its
// bit (as PictureBits gives it) is 1: what the PNG beside the EMS picture
// file and the desktop's preview show.
imaging::MonoImage PictureCells(const LogoImage& image);

} // namespace picture
