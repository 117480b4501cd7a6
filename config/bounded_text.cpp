#include "config/bounded_text.h"

#include <cstdlib>
#include <cstring>

namespace {
constexpr int kFormatBuffer = 4096;

// Grows the allocation to at least `need` units (capped); false when it cannot.
bool reserve_units(BoundedText* t, int need) {
    if (need > t->cap) need = t->cap;
    if (need <= t->allocated) return true;
    auto* p = static_cast<char16_t*>(realloc(t->buffer, size_t(need) * sizeof(char16_t)));
    if (!p) return false;
    if (!t->buffer) p[0] = 0;
    t->buffer = p;
    t->allocated = need;
    return true;
}
}  // namespace

void btext_init(BoundedText* t, int cap) {
    *t = BoundedText{};
    t->cap = cap < 0 ? kBoundedTextDefaultCap : (cap == 0 ? 1 : cap);
}

void btext_free(BoundedText* t) {
    free(t->buffer);
    t->buffer = nullptr;
    t->length = 0;
    t->allocated = 0;
}

const char16_t* btext_get(const BoundedText* t) { return (t && t->buffer) ? t->buffer : u""; }

std::u16string_view btext_view(const BoundedText* t) {
    return (t && t->buffer) ? std::u16string_view(t->buffer, size_t(t->length)) : std::u16string_view();
}

bool btext_empty(const BoundedText* t) { return !t || !t->buffer || t->length == 0; }

void btext_set_n(BoundedText* t, const char16_t* s, int n) {
    if (!s) {
        btext_free(t);
        return;
    }
    if (n > t->cap - 1) n = t->cap - 1;
    if (n < 0) n = 0;
    // Setting allocates exactly what is needed when the buffer is too small.
    if (n + 1 > t->allocated) {
        auto* p = static_cast<char16_t*>(malloc(size_t(n + 1) * sizeof(char16_t)));
        if (!p) return;  // the text stays as it was
        free(t->buffer);
        t->buffer = p;
        t->allocated = n + 1;
    }
    memmove(t->buffer, s, size_t(n) * sizeof(char16_t));
    t->buffer[n] = 0;
    t->length = n;
}

void btext_set(BoundedText* t, const char16_t* s) { btext_set_n(t, s, s ? int(text_len(s)) : 0); }

void btext_set_view(BoundedText* t, std::u16string_view s) {
    btext_set_n(t, s.data() ? s.data() : u"", int(s.size() > 0x7FFFFFF ? 0x7FFFFFF : s.size()));
}

void btext_append_view(BoundedText* t, std::u16string_view s) {
    if (s.empty()) {
        if (!t->buffer) reserve_units(t, 1);
        return;
    }
    const long long add = (long long)s.size();
    if (t->length + add + 1 > t->allocated) {
        long long grow = (long long)t->allocated + 3 * add + 3;
        if (grow < 2LL * t->allocated) grow = 2LL * t->allocated;
        if (grow > t->cap) grow = t->cap;
        if (!reserve_units(t, int(grow))) return;
    }
    long long room = t->allocated - 1 - t->length;
    const int n = int(add < room ? add : room);
    if (n <= 0) return;
    memcpy(t->buffer + t->length, s.data(), size_t(n) * sizeof(char16_t));
    t->length += n;
    t->buffer[t->length] = 0;
}

void btext_append(BoundedText* t, const char16_t* s) {
    if (s) btext_append_view(t, std::u16string_view(s, text_len(s)));
}

void btext_vformat(BoundedText* t, const char16_t* fmt, va_list ap) {
    char16_t buf[kFormatBuffer];
    text_vformat(buf, kFormatBuffer, fmt, ap);
    btext_set(t, buf);
}

void btext_format(BoundedText* t, const char16_t* fmt, ...) {
    va_list ap;
    va_start(ap, fmt);
    btext_vformat(t, fmt, ap);
    va_end(ap);
}

void btext_append_format(BoundedText* t, const char16_t* fmt, ...) {
    char16_t buf[kFormatBuffer];
    va_list ap;
    va_start(ap, fmt);
    text_vformat(buf, kFormatBuffer, fmt, ap);
    va_end(ap);
    btext_append(t, buf);
}

void btext_clear(BoundedText* t) {
    t->length = 0;
    if (t->buffer) t->buffer[0] = 0;
}
