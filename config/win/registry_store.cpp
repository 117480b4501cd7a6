#include "config/win/registry_store.h"

#include <windows.h>

#include "base/win/handles.h"

const wchar_t kRegistryKeyPath[] = L"SOFTWARE\\ZEB\\Vellarion";
const wchar_t kRegistryLowKeyPath[] = L"SOFTWARE\\AppDataLow\\Software\\ZEB\\Vellarion";

namespace {
const wchar_t* as_w(const char16_t* s) { return reinterpret_cast<const wchar_t*>(s); }

struct KeyPlace {
    HKEY root;
    const wchar_t* path;
};

KeyPlace place(SettingsKey k) {
    switch (k) {
    case SettingsKey::kMachine: return {HKEY_LOCAL_MACHINE, kRegistryKeyPath};
    case SettingsKey::kUser: return {HKEY_CURRENT_USER, kRegistryKeyPath};
    case SettingsKey::kLowIntegrity: break;
    }
    return {HKEY_CURRENT_USER, kRegistryLowKeyPath};
}

// One key opened for the length of a call, with the error when it could not be.
struct OpenKey {
    OpenKey(SettingsKey k, REGSAM access) {
        const KeyPlace p = place(k);
        HKEY key = nullptr;
        error_ = RegOpenKeyExW(p.root, p.path, 0, access, &key);
        if (error_ == ERROR_SUCCESS) key_.reset(key);
    }
    HKEY get() const { return key_.get(); }
    long error() const { return error_; }

private:
    UniqueRegKey key_;
    long error_ = 0;
};

class RegistryStore : public SettingsStore {
public:
    bool key_exists(SettingsKey k) override { return OpenKey(k, KEY_READ).get() != nullptr; }

    long read(SettingsKey k, const char16_t* name, StoredValue* out) override {
        OpenKey key(k, KEY_READ);
        if (!key.get()) return key.error();
        DWORD type = 0, size = 0;
        LONG err = RegQueryValueExW(key.get(), as_w(name), nullptr, &type, nullptr, &size);
        if (err != ERROR_SUCCESS) return err;
        // A value larger than any the viewer stores is not one of ours.
        if (size > 64 * 1024) return ERROR_MORE_DATA;
        out->type = type;
        out->bytes.assign(size, 0);
        err = RegQueryValueExW(key.get(), as_w(name), nullptr, &type, out->bytes.data(), &size);
        if (err != ERROR_SUCCESS) return err;
        out->bytes.resize(size);
        out->type = type;
        return 0;
    }

    long open_for_write(SettingsKey k) override {
        close_write();
        const KeyPlace p = place(k);
        HKEY key = nullptr;
        const long error = RegCreateKeyExW(p.root, p.path, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr);
        if (error == ERROR_SUCCESS) write_key_.reset(key);
        return error;
    }

    long write(const char16_t* name, const StoredValue& v) override {
        if (!write_key_) return ERROR_INVALID_HANDLE;
        return RegSetValueExW(write_key_.get(), as_w(name), 0, v.type, v.bytes.data(), DWORD(v.bytes.size()));
    }

    void close_write() override { write_key_.reset(); }

    long remove(SettingsKey k, const char16_t* name) override {
        OpenKey key(k, KEY_SET_VALUE);
        if (!key.get()) return key.error();
        return RegDeleteValueW(key.get(), as_w(name));
    }

private:
    UniqueRegKey write_key_;
};
}  // namespace

SettingsStore* registry_settings_store() {
    static RegistryStore store;
    return &store;
}
