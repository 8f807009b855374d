#include "formats/image/image_header.h"

#include <array>
#include <cstdint>
#include <limits>
#include <optional>
#include <vector>

#include "platform/user_file.h"

namespace marlo {

namespace {

// Reads bytes at offsets of one file, never past its end (see UserFile).
class HeaderReader {
public:
    explicit HeaderReader(const std::string& path) : file_(path) {}

    // `count` bytes at `offset`; nothing when the file is shorter or no regular file.
    std::optional<std::vector<unsigned char>> At(std::uint64_t offset, std::size_t count) {
        const auto bytes = file_.At(offset, count);
        if (!bytes) {
            return std::nullopt;
        }
        return std::vector<unsigned char>(bytes->begin(), bytes->end());
    }

private:
    UserFile file_;
};

std::uint32_t BigEndian(const std::vector<unsigned char>& b, std::size_t at, std::size_t size) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < size; ++i) {
        value = (value << 8) | b[at + i];
    }
    return value;
}

std::uint32_t LittleEndian(const std::vector<unsigned char>& b, std::size_t at, std::size_t size) {
    std::uint32_t value = 0;
    for (std::size_t i = size; i-- > 0;) {
        value = (value << 8) | b[at + i];
    }
    return value;
}

bool StartsWith(const std::vector<unsigned char>& bytes, std::initializer_list<unsigned> magic) {
    std::size_t i = 0;
    for (unsigned byte : magic) {
        if (i >= bytes.size() || bytes[i++] != byte) {
            return false;
        }
    }
    return true;
}

// A size as an image states it: both sides from 1 to the largest 32-bit signed count.
ImageSize Checked(std::uint64_t width, std::uint64_t height) {
    constexpr std::uint64_t kLargest = std::numeric_limits<std::int32_t>::max();
    if (width == 0 || height == 0 || width > kLargest || height > kLargest) {
        return {};
    }
    return {static_cast<std::int32_t>(width), static_cast<std::int32_t>(height)};
}

// A JPEG's frame header (SOF0 to SOF15, not DHT, JPG or DAC) gives the size; the segments
// before it are passed over by their lengths, a bounded number of them.
ImageSize JpegSize(HeaderReader& reader) {
    std::uint64_t at = 2;
    for (int segment = 0; segment < 4096; ++segment) {
        const auto marker = reader.At(at, 4);
        if (!marker || (*marker)[0] != 0xFF) {
            return {};
        }
        const unsigned type = (*marker)[1];
        if (type == 0xFF) {
            ++at;  // fill byte
            continue;
        }
        const std::uint32_t length = BigEndian(*marker, 2, 2);
        const bool frame =
            type >= 0xC0 && type <= 0xCF && type != 0xC4 && type != 0xC8 && type != 0xCC;
        if (frame) {
            const auto header = reader.At(at + 4, 5);
            return header ? Checked(BigEndian(*header, 3, 2), BigEndian(*header, 1, 2))
                          : ImageSize{};
        }
        if (length < 2 || type == 0xD9 || type == 0xDA) {
            return {};  // the image data, or the end, before any frame header
        }
        at += 2 + length;
    }
    return {};
}

}  // namespace

ImageSize ImageSizeFromHeader(const std::string& path) {
    HeaderReader reader(path);
    const auto head = reader.At(0, 26);
    const auto shortHead = head ? head : reader.At(0, 10);
    if (!shortHead) {
        return {};
    }
    const std::vector<unsigned char>& b = *shortHead;
    if (StartsWith(b, {0xFF, 0xD8, 0xFF})) {
        return JpegSize(reader);
    }
    if (StartsWith(b, {'G', 'I', 'F', '8'})) {
        return Checked(LittleEndian(b, 6, 2), LittleEndian(b, 8, 2));
    }
    if (!head) {
        return {};
    }
    if (StartsWith(b, {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'})) {
        return Checked(BigEndian(b, 16, 4), BigEndian(b, 20, 4));
    }
    if (StartsWith(b, {'B', 'M'})) {
        // Rows stored top-down give a negative height.
        const auto height = static_cast<std::int32_t>(LittleEndian(b, 22, 4));
        const std::int64_t rows = height < 0 ? -static_cast<std::int64_t>(height) : height;
        return Checked(LittleEndian(b, 18, 4), static_cast<std::uint64_t>(rows));
    }
    return {};
}

}  // namespace marlo
