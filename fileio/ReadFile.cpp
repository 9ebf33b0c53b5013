#include "ReadFile.h"

#include <algorithm>

namespace merivox {

ReadResult readWholeFile(const std::filesystem::path &path, std::uint64_t limit,
                         const std::function<char *(std::uint64_t size)> &into, std::uint64_t &got)
{
    got = 0;
    InputFile file;
    if (const ReadResult opened = file.open(path); !opened.ok()) {
        return opened;
    }
    const std::uint64_t size = file.size();
    if (size > limit) {
        return {FileCause::TooLarge, 0};
    }
    char *const buffer = into(size);
    // In pieces of at most 64 MiB, which every system reads in one call.
    constexpr std::uint64_t kPiece = std::uint64_t(1) << 26;
    while (got < size) {
        std::size_t n = 0;
        const auto piece = std::size_t(std::min(size - got, kPiece));
        if (const ReadResult read = file.read({buffer + got, piece}, n); !read.ok()) {
            return read;
        }
        if (n == 0) {
            break; // the file shrank since it was opened
        }
        got += n;
    }
    return {};
}

} // namespace merivox
