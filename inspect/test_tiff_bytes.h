#pragma once
// Hand-laid TIFF bytes for the inspector's tests: any byte order, classic or
// BigTIFF, any field type and count, and directories placed and chained at
// will, so the tests can build files no encoder would write.
#include <cstdint>
#include <string>
#include <vector>

struct TestEntry {
    uint16_t tag;
    uint16_t type;
    uint64_t count;
    // Element values; rationals take two (numerator, denominator) per element,
    // strings and octets use `bytes` instead.
    std::vector<uint64_t> values = {};
    std::string bytes = {};
};

class TestTiff {
public:
    explicit TestTiff(bool big_endian = false, bool bigtiff = false) : be_(big_endian), big_(bigtiff) {
        // Sized before the first write: growing a 2-byte vector inline makes
        // gcc 12 at -O3 warn about bounds it cannot see through.
        b_.reserve(4096);
        b_.resize(bigtiff ? 16 : 8, 0);
        b_[0] = b_[1] = big_endian ? 'M' : 'I';
        put_at(2, bigtiff ? 43 : 42, 2);
        if (bigtiff) {
            put_at(4, 8, 2);
            put_at(6, 0, 2);
            put_at(8, 0, 8);
        } else {
            put_at(4, 0, 4);
        }
    }

    std::vector<uint8_t>& bytes() { return b_; }
    void set_first(uint64_t offset) { put_at(big_ ? 8 : 4, offset, big_ ? 8 : 4); }
    void set_next(uint64_t dir, uint64_t next) {
        uint64_t count = get(dir, big_ ? 8 : 2);
        put_at(dir + (big_ ? 8 + 20 * count : 2 + 12 * count), next, big_ ? 8 : 4);
    }

    // Writes a directory at the end (on an even offset) with its out-of-line
    // data after it; the next offset is 0.
    uint64_t add_directory(const std::vector<TestEntry>& entries) {
        if (b_.size() & 1) b_.push_back(0);
        uint64_t dir = b_.size();
        const unsigned entry_size = big_ ? 20 : 12, head = big_ ? 8 : 2, link = big_ ? 8 : 4;
        b_.resize(dir + head + entry_size * entries.size() + link, 0);
        put_at(dir, entries.size(), head);
        for (size_t i = 0; i < entries.size(); ++i) {
            const TestEntry& e = entries[i];
            uint64_t pos = dir + head + entry_size * i;
            put_at(pos, e.tag, 2);
            put_at(pos + 2, e.type, 2);
            put_at(pos + 4, e.count, big_ ? 8 : 4);
            std::vector<uint8_t> data = encode(e);
            uint64_t field = pos + (big_ ? 12 : 8);
            if (data.size() <= link) {
                for (size_t k = 0; k < data.size(); ++k) b_[field + k] = data[k];
            } else {
                if (b_.size() & 1) b_.push_back(0);
                put_at(field, b_.size(), link);
                b_.insert(b_.end(), data.begin(), data.end());
            }
        }
        return dir;
    }

    void put_at(uint64_t at, uint64_t v, unsigned n) {
        if (b_.size() < at + n) b_.resize(at + n, 0);
        for (unsigned i = 0; i < n; ++i) b_[at + (be_ ? n - 1 - i : i)] = (uint8_t)(v >> (8 * i));
    }

private:
    static unsigned unit(uint16_t type) {
        static const unsigned kSizes[] = {0, 1, 1, 2, 4, 4, 1, 1, 2, 4, 4, 4, 8, 4, 1, 8, 8, 8, 8};
        return type < 19 ? kSizes[type] : 1;
    }
    std::vector<uint8_t> encode(const TestEntry& e) {
        std::vector<uint8_t> out;
        for (char c : e.bytes) out.push_back((uint8_t)c);
        unsigned n = unit(e.type);
        for (uint64_t v : e.values)
            for (unsigned i = 0; i < n; ++i) out.push_back((uint8_t)(v >> (8 * (be_ ? n - 1 - i : i))));
        return out;
    }
    uint64_t get(uint64_t at, unsigned n) const {
        uint64_t v = 0;
        for (unsigned i = 0; i < n; ++i) v |= (uint64_t)b_[at + (be_ ? n - 1 - i : i)] << (8 * i);
        return v;
    }

    std::vector<uint8_t> b_;
    bool be_, big_;
};
