#pragma once
// Picture texts, image files and message lines for the tests of the picture
// conversion.

#include "imaging/Image.h"
#include "picture/PictureFormat.h"

#include <cctype>
#include <cstdint>
#include <string>
#include <vector>

#include "support/Messages.h"

namespace testsupport {

// Hexadecimal picture data of the given number of rows whose characters
// differ by row and column, so a misplaced character is noticed.
inline std::string Rows(int rows) {
    static const char kDigits[] = "0123456789abcdefABCDEF";
    std::string data;
    for (int r = 0; r < rows; ++r)
        for (std::size_t c = 0; c < picture::format::kRowChars; ++c)
            data += kDigits[(static_cast<std::size_t>(r) * 7 + c) % 22];
    return data;
}

// Rows(rows) with upper-case digits: the data an image of it reads as.
inline std::string UpperRows(int rows) {
    std::string data = Rows(rows);
    for (char& c : data)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return data;
}

// The picture of Rows(rows) as cells, dark where its bits are 1.
inline imaging::MonoImage RowsImage(int rows) {
    imaging::MonoImage image{picture::format::kWidth, rows, {}};
    for (const char c : Rows(rows)) {
        const int value =
            std::isdigit(static_cast<unsigned char>(c)) ? c - '0' : std::tolower(c) - 'a' + 10;
        for (int shift = 3; shift >= 0; --shift)
            image.dark.push_back(static_cast<std::uint8_t>((value >> shift) & 1));
    }
    return image;
}

inline void PutLittleEndian(std::string& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

// The picture as an uncompressed BMP of 1, 4, 8, 16, 24 or 32 bits a pixel.
// The colour tables put the two colours at other indexes than 0 and 1 and
// hold grays just either side of half; 16 bits is 5-5-5; 32 bits has a
// version 5 header whose masks make light pixels transparent black.
inline std::string AsBmp(const imaging::MonoImage& image, int bits, bool topDown = false) {
    const bool masks = bits == 32;
    const std::uint32_t headerSize = masks ? 124 : 40;
    const std::uint32_t colours = bits <= 8 ? 1u << bits : 0;
    const std::uint32_t stride = (static_cast<std::uint32_t>(image.width) * bits + 31) / 32 * 4;
    const std::uint32_t dataAt = 14 + headerSize + 4 * colours;
    std::string bmp = "BM";
    PutLittleEndian(bmp, dataAt + stride * static_cast<std::uint32_t>(image.height), 4);
    PutLittleEndian(bmp, 0, 4);
    PutLittleEndian(bmp, dataAt, 4);
    PutLittleEndian(bmp, headerSize, 4);
    PutLittleEndian(bmp, static_cast<std::uint32_t>(image.width), 4);
    PutLittleEndian(bmp, static_cast<std::uint32_t>(topDown ? -image.height : image.height), 4);
    PutLittleEndian(bmp, 1, 2);
    PutLittleEndian(bmp, static_cast<std::uint32_t>(bits), 2);
    PutLittleEndian(bmp, masks ? 3 : 0, 4);
    for (int i = 0; i < 5; ++i)
        PutLittleEndian(bmp, 0, 4);
    if (masks) {
        for (const std::uint32_t mask : {0x00FF0000u, 0x0000FF00u, 0x000000FFu, 0xFF000000u})
            PutLittleEndian(bmp, mask, 4);
        bmp.append(headerSize - 56, '\0');
    }
    for (std::uint32_t i = 0; i < colours; ++i) {
        const char gray = i % 2 == 1 ? '\x7F' : '\x80'; // odd indexes just dark enough
        bmp.append({gray, gray, gray, '\0'});
    }
    for (int r = 0; r < image.height; ++r) {
        const int y = topDown ? r : image.height - 1 - r;
        std::string row;
        std::uint32_t bitsInRow = 0, packed = 0;
        for (int x = 0; x < image.width; ++x) {
            const bool dark = image.Dark(x, y);
            if (bits <= 8) {
                packed = packed << bits | (dark ? colours - 1 : colours - 2);
                if ((bitsInRow += static_cast<std::uint32_t>(bits)) == 8) {
                    row += static_cast<char>(packed);
                    bitsInRow = packed = 0;
                }
            } else if (bits == 16) {
                PutLittleEndian(row, dark ? 0x0000 : 0x7FFF, 2);
            } else if (bits == 24) {
                row.append(3, dark ? '\0' : '\xFF');
            } else {
                PutLittleEndian(row, dark ? 0xFF000000u : 0x00000000u, 4);
            }
        }
        row.resize(stride, '\0');
        bmp += row;
    }
    return bmp;
}

// The picture as netpbm PBM, plain ("P1", with a comment) or raw ("P4").
inline std::string AsPbm(const imaging::MonoImage& image, bool plain) {
    std::string pbm = plain ? "P1\n# a comment\n" : "P4\n";
    pbm += std::to_string(image.width) + " " + std::to_string(image.height) + "\n";
    for (int y = 0; y < image.height; ++y) {
        unsigned char packed = 0;
        for (int x = 0; x < image.width; ++x) {
            if (plain) {
                pbm += image.Dark(x, y) ? "1 " : "0 ";
                continue;
            }
            packed = static_cast<unsigned char>(packed << 1 | (image.Dark(x, y) ? 1 : 0));
            if (x % 8 == 7 || x == image.width - 1) {
                pbm += static_cast<char>(packed << (7 - x % 8));
                packed = 0;
            }
        }
        if (plain)
            pbm += "\n";
    }
    return pbm;
}

} // namespace testsupport
