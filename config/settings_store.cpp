#include "config/settings_store.h"

#include <cstring>

namespace {
constexpr long kNotFound = 2;       // ERROR_FILE_NOT_FOUND
constexpr long kAccessDenied = 5;   // ERROR_ACCESS_DENIED
constexpr long kInvalidHandle = 6;  // ERROR_INVALID_HANDLE
}  // namespace

bool store_read_dword(SettingsStore* s, SettingsKey key, const char16_t* name, uint32_t* out) {
    StoredValue v;
    if (!s || s->read(key, name, &v) != 0) return false;
    if (v.type != kValueDword || v.bytes.size() != 4) return false;
    *out = uint32_t(v.bytes[0]) | uint32_t(v.bytes[1]) << 8 | uint32_t(v.bytes[2]) << 16 | uint32_t(v.bytes[3]) << 24;
    return true;
}

bool store_read_text(SettingsStore* s, SettingsKey key, const char16_t* name, char16_t* out, int cap) {
    if (cap <= 0) return false;
    out[0] = 0;
    StoredValue v;
    if (!s || s->read(key, name, &v) != 0 || v.type != kValueText) return false;
    // The registry does not promise a terminator: take what is there, up to cap - 1.
    const size_t units = v.bytes.size() / 2;
    int n = 0;
    for (; n < cap - 1 && size_t(n) < units; ++n) {
        const char16_t c = char16_t(v.bytes[2 * n] | v.bytes[2 * n + 1] << 8);
        if (!c) break;
        out[n] = c;
    }
    out[n] = 0;
    return true;
}

long store_write_dword(SettingsStore* s, const char16_t* name, uint32_t value) {
    StoredValue v{kValueDword, {uint8_t(value), uint8_t(value >> 8), uint8_t(value >> 16), uint8_t(value >> 24)}};
    return s->write(name, v);
}

long store_write_text(SettingsStore* s, const char16_t* name, const char16_t* text) {
    StoredValue v{kValueText, {}};
    const size_t n = text_len(text);
    for (size_t i = 0; i <= n; ++i) {  // with its terminating null
        const char16_t c = i < n ? text[i] : 0;
        v.bytes.push_back(uint8_t(c));
        v.bytes.push_back(uint8_t(c >> 8));
    }
    return s->write(name, v);
}

MemorySettingsStore::Entry* MemorySettingsStore::find(SettingsKey key, const char16_t* name) {
    for (Entry& e : values_[int(key)])
        if (text_iequal(e.name, name)) return &e;
    return nullptr;
}

long MemorySettingsStore::read(SettingsKey key, const char16_t* name, StoredValue* out) {
    if (!exists_[int(key)]) return kNotFound;
    const Entry* e = find(key, name);
    if (!e) return kNotFound;
    *out = e->value;
    return 0;
}

long MemorySettingsStore::open_for_write(SettingsKey key) {
    if (fail_writes_) return kAccessDenied;
    exists_[int(key)] = true;
    open_ = int(key);
    return 0;
}

long MemorySettingsStore::write(const char16_t* name, const StoredValue& value) {
    if (open_ < 0) return kInvalidHandle;
    set_raw(SettingsKey(open_), name, value);
    write_log.push_back(name);
    return 0;
}

long MemorySettingsStore::remove(SettingsKey key, const char16_t* name) {
    auto& list = values_[int(key)];
    for (size_t i = 0; i < list.size(); ++i)
        if (text_iequal(list[i].name, name)) {
            list.erase(list.begin() + long(i));
            return 0;
        }
    return kNotFound;
}

void MemorySettingsStore::set_raw(SettingsKey key, const char16_t* name, const StoredValue& v) {
    exists_[int(key)] = true;
    if (Entry* e = find(key, name)) e->value = v;
    else
        values_[int(key)].push_back(Entry{name, v});
}

void MemorySettingsStore::set_dword(SettingsKey key, const char16_t* name, uint32_t value) {
    set_raw(
        key, name,
        StoredValue{kValueDword, {uint8_t(value), uint8_t(value >> 8), uint8_t(value >> 16), uint8_t(value >> 24)}});
}

void MemorySettingsStore::set_text(SettingsKey key, const char16_t* name, const char16_t* text) {
    StoredValue v{kValueText, {}};
    const size_t n = text_len(text);
    for (size_t i = 0; i <= n; ++i) {
        const char16_t c = i < n ? text[i] : 0;
        v.bytes.push_back(uint8_t(c));
        v.bytes.push_back(uint8_t(c >> 8));
    }
    set_raw(key, name, v);
}
