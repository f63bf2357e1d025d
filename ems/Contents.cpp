#include "ems/Contents.h"

#include "ems/ElementFormat.h"

#include <algorithm>
#include <optional>
#include <span>

namespace ems {
namespace {

using namespace ems::element;

std::string Octets(std::size_t count) {
    return std::to_string(count) + (count == 1 ? " octet" : " octets");
}

std::string SizeText(int width, int height) {
    return std::to_string(width) + 'x' + std::to_string(height);
}

// Rows of `width` pixels, each row whole octets, the leftmost pixel in the
// top bit, 1 dark.
imaging::MonoImage Cells(std::string_view rows, int width, int height) {
    imaging::MonoImage image{width, height, {}};
    const std::size_t stride = (static_cast<std::size_t>(width) + 7) / 8;
    image.dark.reserve(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const auto octet = static_cast<unsigned char>(
                rows[static_cast<std::size_t>(y) * stride + static_cast<std::size_t>(x) / 8]);
            image.dark.push_back(static_cast<std::uint8_t>((octet >> (7 - x % 8)) & 1));
        }
    return image;
}

// Pictures as high as each other, left to right, as one.
imaging::MonoImage SideBySide(std::span<const Content> pieces) {
    imaging::MonoImage whole{0, pieces.front().picture.height, {}};
    for (const Content& piece : pieces)
        whole.width += piece.picture.width;
    whole.dark.reserve(static_cast<std::size_t>(whole.width) *
                       static_cast<std::size_t>(whole.height));
    for (int y = 0; y < whole.height; ++y)
        for (const Content& piece : pieces) {
            const auto row = piece.picture.dark.begin() + y * piece.picture.width;
            whole.dark.insert(whole.dark.end(), row, row + piece.picture.width);
        }
    return whole;
}

std::string WrongSize(std::string_view what, std::size_t octets, std::size_t expected) {
    return std::string(what) + " of " + Octets(octets) + " (" + std::to_string(expected) +
           " expected)";
}

// One element as content; nothing for one without an object; a problem
// for one that is malformed.
std::optional<Content> Decode(const Element& element, std::string& problem) {
    const std::string_view data = element.data;
    const auto named = [&](std::string description) {
        return Content{Content::Kind::Named, std::move(description), {}, {}};
    };
    const auto picture = [&](std::string_view what, int width, int height,
                             std::size_t head) -> std::optional<Content> {
        const std::size_t expected =
            head + static_cast<std::size_t>(width) * static_cast<std::size_t>(height) / 8;
        if (data.size() != expected) {
            problem = WrongSize(what, data.size(), expected);
            return std::nullopt;
        }
        return Content{Content::Kind::Picture, std::string(what) + ' ' + SizeText(width, height),
                       {}, Cells(data.substr(head), width, height)};
    };
    const auto numbered = [&](std::string_view what, std::span<const std::string_view> names)
        -> std::optional<Content> {
        if (data.size() != kNumberedOctets) {
            problem = WrongSize(what, data.size(), kNumberedOctets);
            return std::nullopt;
        }
        const unsigned number = static_cast<unsigned char>(data[1]);
        std::string description = std::string(what) + ' ' + std::to_string(number);
        if (number < names.size())
            description += " (" + std::string(names[number]) + ")";
        return named(std::move(description));
    };

    switch (element.id) {
    case kUserDefinedSound:
        if (data.empty()) {
            problem = "an iMelody element without its position";
            return std::nullopt;
        }
        return Content{Content::Kind::Melody, "iMelody (" + Octets(data.size() - 1) + ")",
                       std::string(data.substr(kPositionOctets)), {}};
    case kPredefinedSound:
        return numbered("predefined sound", kPredefinedSoundNames);
    case kPredefinedAnimation:
        return numbered("predefined animation", kPredefinedAnimationNames);
    case kLargeAnimation:
    case kSmallAnimation: {
        const bool large = element.id == kLargeAnimation;
        const std::size_t expected = large ? kLargeAnimationOctets : kSmallAnimationOctets;
        const std::string what = large ? "large animation" : "small animation";
        if (data.size() != expected) {
            problem = WrongSize(what, data.size(), expected);
            return std::nullopt;
        }
        return named(what + (large ? " 16x16" : " 8x8") + ", 4 frames (not written)");
    }
    case kLargePicture:
        return picture("large picture", 32, 32, kPositionOctets);
    case kSmallPicture:
        return picture("small picture", 16, 16, kPositionOctets);
    case kVariablePicture: {
        if (data.size() < kVariablePictureHead) {
            problem = WrongSize("a variable picture", data.size(), kVariablePictureHead);
            return std::nullopt;
        }
        const int width = 8 * static_cast<unsigned char>(data[1]);
        const int height = static_cast<unsigned char>(data[2]);
        if (width == 0 || height == 0) {
            problem = "a variable picture of " + SizeText(width, height) + " pixels";
            return std::nullopt;
        }
        return picture("picture", width, height, kVariablePictureHead);
    }
    default:
        break;
    }
    if (std::find(std::begin(kWithoutObject), std::end(kWithoutObject), element.id) !=
        std::end(kWithoutObject))
        return std::nullopt;
    return Content{Content::Kind::Unknown,
                   "element " + IdText(element.id) + " (" + Octets(data.size()) + ", not decoded)",
                   {}, {}};
}

// The pictures a User Prompt Indicator counts, as they come.
struct PictureGroup {
    unsigned count = 0;
    std::vector<Content> pictures;
};

void Flush(std::optional<PictureGroup>& group, std::vector<Content>& items) {
    if (!group)
        return;
    std::vector<Content>& pictures = group->pictures;
    const bool together =
        pictures.size() == group->count &&
        std::all_of(pictures.begin(), pictures.end(), [&](const Content& piece) {
            return piece.picture.height == pictures.front().picture.height;
        });
    if (together) {
        Content whole{Content::Kind::Picture, {}, {}, SideBySide(pictures)};
        whole.description = "picture " + SizeText(whole.picture.width, whole.picture.height) +
                            " (" + std::to_string(pictures.size()) + " pieces)";
        items.push_back(std::move(whole));
    } else {
        for (Content& piece : pictures)
            items.push_back(std::move(piece));
    }
    group.reset();
}

} // namespace

Contents DecodeElements(const std::vector<Element>& elements) {
    Contents contents;
    std::optional<PictureGroup> group;
    for (const Element& element : elements) {
        if (element.id == kUserPromptIndicator && element.data.size() == 1) {
            const unsigned count = static_cast<unsigned char>(element.data[0]);
            // Each part of a message in several restates the indicator.
            if (group && group->pictures.size() < group->count && count == group->count)
                continue;
            Flush(group, contents.items);
            if (count >= 2)
                group = PictureGroup{count, {}};
            continue;
        }
        std::optional<Content> content = Decode(element, contents.problem);
        if (!contents.problem.empty()) {
            contents.items.clear();
            return contents;
        }
        if (!content)
            continue;
        if (group && content->kind == Content::Kind::Picture) {
            group->pictures.push_back(std::move(*content));
            if (group->pictures.size() == group->count)
                Flush(group, contents.items);
            continue;
        }
        Flush(group, contents.items);
        contents.items.push_back(std::move(*content));
    }
    Flush(group, contents.items);
    return contents;
}

} // namespace ems
