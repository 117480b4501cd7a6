// printf for UTF-16. The C library's swprintf cannot serve: wchar_t is 32 bits in
// the native build, and the Windows and C99 meanings of %s/%S differ. So the core
// formats itself, with one meaning everywhere: %s is UTF-16, %S is UTF-8.
#include <cstdio>
#include <cstring>

#include "base/text.h"

namespace {

struct Sink {
    char16_t* out;
    int cap;
    int len = 0;
    void put(char16_t c) {
        if (out && len < cap - 1) out[len] = c;
        ++len;
    }
    void put_n(char16_t c, int n) {
        for (int i = 0; i < n; ++i) put(c);
    }
};

struct Conversion {
    bool left = false, plus = false, space = false, alt = false, zero = false;
    int width = 0;
    int precision = -1;
    int size = 0;  // 0 int, 1 long, 2 long long / I64 / z on 64-bit
};

void emit_padded(Sink& s, const Conversion& sp, const char16_t* body, int n, const char* prefix = "") {
    const int plen = int(strlen(prefix));
    const int pad = sp.width > n + plen ? sp.width - n - plen : 0;
    if (!sp.left && !sp.zero) s.put_n(u' ', pad);
    for (int i = 0; i < plen; ++i) s.put(char16_t(prefix[i]));
    if (!sp.left && sp.zero) s.put_n(u'0', pad);
    for (int i = 0; i < n; ++i) s.put(body[i]);
    if (sp.left) s.put_n(u' ', pad);
}

void emit_integer(Sink& s, Conversion sp, unsigned long long mag, bool neg, int base, bool upper) {
    char16_t digits[72];
    int n = 0;
    const char* set = upper ? "0123456789ABCDEF" : "0123456789abcdef";
    do {
        digits[n++] = char16_t(set[mag % unsigned(base)]);
        mag /= unsigned(base);
    } while (mag && n < 64);
    if (sp.precision == 0 && n == 1 && digits[0] == u'0') n = 0;
    while (n < sp.precision && n < 64) digits[n++] = u'0';
    char16_t body[72];
    for (int i = 0; i < n; ++i) body[i] = digits[n - 1 - i];
    const char* prefix = neg ? "-" : sp.plus ? "+" : sp.space ? " " : "";
    if (sp.alt && base == 16 && n) prefix = upper ? "0X" : "0x";
    if (sp.precision >= 0) sp.zero = false;
    emit_padded(s, sp, body, n, prefix);
}

void emit_text(Sink& s, const Conversion& sp, const char16_t* t, size_t n) {
    if (sp.precision >= 0 && n > size_t(sp.precision)) n = size_t(sp.precision);
    Conversion plain = sp;
    plain.zero = false;
    const int pad = sp.width > int(n) ? sp.width - int(n) : 0;
    if (!plain.left) s.put_n(u' ', pad);
    for (size_t i = 0; i < n; ++i) s.put(t[i]);
    if (plain.left) s.put_n(u' ', pad);
}

}  // namespace

int text_vformat(char16_t* out, int cap, const char16_t* fmt, va_list ap) {
    Sink s{out, cap};
    if (!fmt) fmt = u"";
    for (const char16_t* p = fmt; *p; ++p) {
        if (*p != u'%') {
            s.put(*p);
            continue;
        }
        Conversion sp;
        for (++p;; ++p) {
            if (*p == u'-') sp.left = true;
            else if (*p == u'+')
                sp.plus = true;
            else if (*p == u' ')
                sp.space = true;
            else if (*p == u'#')
                sp.alt = true;
            else if (*p == u'0')
                sp.zero = true;
            else
                break;
        }
        if (*p == u'*') {
            sp.width = va_arg(ap, int);
            if (sp.width < 0) {
                sp.left = true;
                sp.width = -sp.width;
            }
            ++p;
        } else {
            while (*p >= u'0' && *p <= u'9') sp.width = sp.width * 10 + (*p++ - u'0');
        }
        if (*p == u'.') {
            ++p;
            sp.precision = 0;
            if (*p == u'*') {
                sp.precision = va_arg(ap, int);
                ++p;
            } else
                while (*p >= u'0' && *p <= u'9') sp.precision = sp.precision * 10 + (*p++ - u'0');
        }
        if (sp.width > 4096) sp.width = 4096;
        if (sp.precision > 4096) sp.precision = 4096;
        bool is_short = false;
        for (;; ++p) {
            if (*p == u'l') sp.size++;
            else if (*p == u'h')
                is_short = true;
            else if (*p == u'z')
                sp.size = sizeof(size_t) == 8 ? 2 : 0;
            else if (*p == u'I' && p[1] == u'6' && p[2] == u'4') {
                sp.size = 2;
                p += 2;
            } else
                break;
        }
        (void)is_short;
        const char16_t conv = *p;
        if (!conv) break;
        switch (conv) {
        case u'd':
        case u'i': {
            long long v = sp.size >= 2 ? va_arg(ap, long long) : sp.size == 1 ? va_arg(ap, long) : va_arg(ap, int);
            const unsigned long long mag = v < 0 ? 0ULL - (unsigned long long)v : (unsigned long long)v;
            emit_integer(s, sp, mag, v < 0, 10, false);
            break;
        }
        case u'u':
        case u'x':
        case u'X':
        case u'o': {
            unsigned long long v = sp.size >= 2   ? va_arg(ap, unsigned long long)
                                   : sp.size == 1 ? va_arg(ap, unsigned long)
                                                  : va_arg(ap, unsigned);
            emit_integer(s, sp, v, false, conv == u'u' ? 10 : conv == u'o' ? 8 : 16, conv == u'X');
            break;
        }
        case u'p': {
            sp.alt = true;
            emit_integer(s, sp, (unsigned long long)(uintptr_t)va_arg(ap, void*), false, 16, false);
            break;
        }
        case u'c': {
            const char16_t c = char16_t(va_arg(ap, int));
            emit_text(s, sp, &c, 1);
            break;
        }
        case u's': {
            const char16_t* t = va_arg(ap, const char16_t*);
            if (!t) t = u"(null)";
            emit_text(s, sp, t, text_len(t));
            break;
        }
        case u'S': {
            const char* t = va_arg(ap, const char*);
            const Text16 w = text_from_utf8(t ? t : "(null)");
            emit_text(s, sp, w.data(), w.size());
            break;
        }
        case u'f':
        case u'F':
        case u'e':
        case u'E':
        case u'g':
        case u'G': {
            char f[32], buf[400];
            snprintf(f, sizeof f, "%%%s%s%s%s%s*.*%c", sp.left ? "-" : "", sp.plus ? "+" : "", sp.space ? " " : "",
                     sp.alt ? "#" : "", sp.zero ? "0" : "", char(conv));
            snprintf(buf, sizeof buf, f, sp.width > 300 ? 300 : sp.width,
                     sp.precision < 0 ? 6 : (sp.precision > 60 ? 60 : sp.precision), va_arg(ap, double));
            for (const char* q = buf; *q; ++q) s.put(char16_t(uint8_t(*q)));
            break;
        }
        case u'%': s.put(u'%'); break;
        default:  // unknown conversion: write it as it stands
            s.put(u'%');
            s.put(conv);
            break;
        }
    }
    if (out && cap > 0) out[s.len < cap ? s.len : cap - 1] = 0;
    return s.len;
}

int text_format(char16_t* out, int cap, const char16_t* fmt, ...) {
    va_list ap;
    va_start(ap, fmt);
    const int n = text_vformat(out, cap, fmt, ap);
    va_end(ap);
    return n;
}

Text16 text_vprintf(const char16_t* fmt, va_list ap) {
    va_list copy;
    va_copy(copy, ap);
    const int n = text_vformat(nullptr, 0, fmt, copy);
    va_end(copy);
    Text16 out(size_t(n), u'\0');
    text_vformat(out.data(), n + 1, fmt, ap);
    return out;
}

Text16 text_printf(const char16_t* fmt, ...) {
    va_list ap;
    va_start(ap, fmt);
    Text16 t = text_vprintf(fmt, ap);
    va_end(ap);
    return t;
}
