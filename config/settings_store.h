#pragma once
// The three places settings live (machine, user, and the user's low-integrity
// copy) seen through one small interface. The shell implements it over the
// registry; an in-memory store serves the command-line tool and the tests.
#include <cstdint>
#include <vector>

#include "base/text.h"

enum class SettingsKey { kMachine, kUser, kLowIntegrity };

// Value types carry the registry's numbers.
constexpr uint32_t kValueText = 1;   // REG_SZ
constexpr uint32_t kValueDword = 4;  // REG_DWORD

struct StoredValue {
    uint32_t type = 0;
    std::vector<uint8_t> bytes;  // as the registry holds them (text: UTF-16LE with its terminator)
};

class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    // Whether the key can be opened for reading.
    virtual bool key_exists(SettingsKey key) = 0;
    // Reads a value as stored; returns a platform error code (0 = found).
    virtual long read(SettingsKey key, const char16_t* name, StoredValue* out) = 0;
    // Opens (creating when needed) a key for writing; 0 on success.
    virtual long open_for_write(SettingsKey key) = 0;
    // Writes into the key opened last; 0 on success.
    virtual long write(const char16_t* name, const StoredValue& value) = 0;
    virtual void close_write() = 0;
    virtual long remove(SettingsKey key, const char16_t* name) = 0;
};

// Typed reads: a DWORD only from a 4-byte REG_DWORD; a text only from REG_SZ,
// cut to cap - 1 units and always terminated.
bool store_read_dword(SettingsStore* s, SettingsKey key, const char16_t* name, uint32_t* out);
bool store_read_text(SettingsStore* s, SettingsKey key, const char16_t* name, char16_t* out, int cap);
long store_write_dword(SettingsStore* s, const char16_t* name, uint32_t value);
long store_write_text(SettingsStore* s, const char16_t* name, const char16_t* text);

// A store in memory, for the tool and the tests.
class MemorySettingsStore : public SettingsStore {
public:
    struct Entry {
        Text16 name;
        StoredValue value;
    };
    bool key_exists(SettingsKey key) override { return exists_[int(key)]; }
    long read(SettingsKey key, const char16_t* name, StoredValue* out) override;
    long open_for_write(SettingsKey key) override;
    long write(const char16_t* name, const StoredValue& value) override;
    void close_write() override { open_ = -1; }
    long remove(SettingsKey key, const char16_t* name) override;

    void create_key(SettingsKey key) { exists_[int(key)] = true; }
    void set_dword(SettingsKey key, const char16_t* name, uint32_t v);
    void set_text(SettingsKey key, const char16_t* name, const char16_t* text);
    void set_raw(SettingsKey key, const char16_t* name, const StoredValue& v);
    void fail_writes(bool fail) { fail_writes_ = fail; }
    // Names in the order they were first written to a key (for save-order checks).
    const std::vector<Entry>& entries(SettingsKey key) const { return values_[int(key)]; }
    std::vector<Text16> write_log;  // every name written, in order

private:
    Entry* find(SettingsKey key, const char16_t* name);
    bool exists_[3] = {false, false, false};
    std::vector<Entry> values_[3];
    int open_ = -1;
    bool fail_writes_ = false;
};
