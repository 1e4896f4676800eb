// Finds the bytes of one kind in a text, 64 bytes at a time, and hands out their
// positions in order. ControlScanner finds the control bytes: the bytes below 0x20
// other than tab, line feed and carriage return, which text often holds. Every byte
// the data file reserves is among them, so the data file's reader only ever stops
// at these.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace ctlite {

// `Kind` says which bytes: Kind::is(c) for one byte, Kind::block(p) for the 64 from
// `p` on as a mask (bit i for byte i).
template <typename Kind>
class ByteScanner {
public:
    explicit ByteScanner(std::string_view text) : text_(text) {}

    // Moves to `from`: pop() then hands out the first such byte at or after it.
    void seek(std::size_t from) {
        if (from >= text_.size()) {
            load(text_.size() / 64);
            mask_ = 0;
            return;
        }
        std::size_t block = from / 64;
        if (block != block_)
            load(block);
        mask_ = blockMask_ & (~std::uint64_t{0} << (from % 64));
    }

    // The position of the next such byte, or the text's size when there is none;
    // the scanner moves past it.
    std::size_t pop() {
        while (mask_ == 0) {
            if (atLastBlock())
                return text_.size();
            load(block_ + 1);
            mask_ = blockMask_;
        }
        std::size_t at = block_ * 64 + static_cast<std::size_t>(__builtin_ctzll(mask_));
        mask_ &= mask_ - 1;
        return at;
    }

    // The first such byte at or after `from`, or the text's size.
    std::size_t next(std::size_t from) {
        seek(from);
        return pop();
    }

    // Hands out the rest of the current block at once: appends the positions of its
    // bytes not yet handed out to `out` (room for 64) and moves on to the
    // next block. Returns the new end of `out`. For texts below 4 GB.
    std::uint32_t* popBlock(std::uint32_t* out) {
        auto base = static_cast<std::uint32_t>(block_ * 64);
        for (std::uint64_t m = mask_; m != 0; m &= m - 1)
            *out++ = base + static_cast<std::uint32_t>(__builtin_ctzll(m));
        mask_ = 0;
        if (!atLastBlock()) {
            load(block_ + 1);
            mask_ = blockMask_;
        }
        return out;
    }
    // True when every such byte has been handed out.
    bool done() const { return mask_ == 0 && atLastBlock(); }

private:
    bool atLastBlock() const { return (block_ + 1) * 64 >= text_.size(); }

    void load(std::size_t block) {
        block_ = block;
        const char* p = text_.data() + block * 64;
        std::size_t n = block * 64 < text_.size() ? text_.size() - block * 64 : 0;
        if (n >= 64) {
            // A file just read is seldom still in the cache: ask for the bytes
            // a little ahead, so that they are there when the scan gets there.
            __builtin_prefetch(text_.data() + std::min(block * 64 + 2048, text_.size() - 1));
            blockMask_ = Kind::block(p);
            return;
        }
        blockMask_ = 0;
        for (std::size_t i = 0; i < n; ++i)
            if (Kind::is(p[i]))
                blockMask_ |= std::uint64_t{1} << i;
    }

    std::string_view text_;
    std::size_t block_ = SIZE_MAX;
    std::uint64_t blockMask_ = 0;  // such bytes of the current block
    std::uint64_t mask_ = 0;       // those not yet handed out
};

struct ControlBytes {
    static bool is(char c) {
        auto b = static_cast<unsigned char>(c);
        return b < 0x20 && b != '\t' && b != '\n' && b != '\r';
    }

    static std::uint64_t block(const char* p) {
#if defined(__SSE2__)
        const __m128i limit = _mm_set1_epi8(0x1F);
        const __m128i four = _mm_set1_epi8(4), lf = _mm_set1_epi8('\n'), cr = _mm_set1_epi8('\r');
        std::uint64_t mask = 0;
        for (int i = 0; i < 4; ++i) {
            __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * i));
            // b < 0x20 exactly when min(b, 0x1F) == b, comparing without sign.
            __m128i below = _mm_cmpeq_epi8(_mm_min_epu8(bytes, limit), bytes);
            // Tab (0x09) and carriage return (0x0D) are the bytes b with b | 4 == 0x0D.
            __m128i text = _mm_or_si128(_mm_cmpeq_epi8(_mm_or_si128(bytes, four), cr),
                                        _mm_cmpeq_epi8(bytes, lf));
            below = _mm_andnot_si128(text, below);
            mask |= static_cast<std::uint64_t>(static_cast<unsigned>(_mm_movemask_epi8(below)))
                    << (16 * i);
        }
        return mask;
#else
        std::uint64_t mask = 0;
        for (int i = 0; i < 8; ++i) {
            std::uint64_t word;
            std::memcpy(&word, p + 8 * i, 8);
            constexpr std::uint64_t kLow7 = 0x7F7F7F7F7F7F7F7FULL, kHigh = 0x8080808080808080ULL;
            // High bit of each byte set when the byte is 0x20 or more.
            std::uint64_t atLeast = (((word & kLow7) + 0x6060606060606060ULL) | word) & kHigh;
            std::uint64_t below = ~atLeast & kHigh;
            // Gather the eight high bits into one byte (byte 0 becomes bit 0).
            std::uint64_t bits = ((below >> 7) * 0x0102040810204080ULL) >> 56;
            mask |= bits << (8 * i);
        }
        // Tab, line feed and carriage return are text; drop them one by one (rare).
        for (std::uint64_t m = mask; m; m &= m - 1) {
            int i = __builtin_ctzll(m);
            if (!is(p[i]))
                mask &= ~(std::uint64_t{1} << i);
        }
        return mask;
#endif
    }
};

using ControlScanner = ByteScanner<ControlBytes>;

}  // namespace ctlite
