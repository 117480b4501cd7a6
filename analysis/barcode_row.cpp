// A barcode is searched for after every light run of the row. The module width
// first comes from the start's two-module bar alone (m) and is loose: a run
// matches w modules when r / m rounds either way to w. Once the stop is found,
// the module width is remeasured over the whole symbol (x), and each symbol is
// read twice if need be: rounded on its own, then with the rounding error
// carried from element to element, which rescues symbols whose bars print wide
// and spaces narrow.
#include "analysis/barcode_row.h"

#include <cmath>

#include "analysis/barcode_scan.h"
#include "analysis/code128_table.h"
#include "base/text.h"

namespace {

bool run_matches(int32_t run, double m, int modules) {
    const double q = run / m;
    return std::floor(q) == modules || std::ceil(q) == modules;
}

bool start_matches(const int32_t* runs, int n, int s, double m) {
    if (s + 6 >= n) return false;
    for (int k = 1; k < 6; ++k)
        if (!run_matches(runs[s + 1 + k], m, kCode128StartB[k])) return false;
    return true;
}

// 0: the stop does not sit at offset i; 1: it does; -1: a run too wide for
// any element ends the search.
int stop_at(const int32_t* runs, int n, int s, int i, double m) {
    const int32_t too_wide = int32_t(6 * m);
    for (int k = 0; k < 7; ++k) {
        const int at = s + i + 1 + k;
        if (at >= n) return -1;
        if (runs[at] >= too_wide) return -1;
        if (!run_matches(runs[at], m, kCode128Stop[k])) return 0;
    }
    return 1;
}

int round_half_up_clamped(double v) {
    double f = std::floor(v);
    if (v - f >= 0.5) f += 1;
    return f < 1 ? 1 : f > 4 ? 4 : int(f);
}

int read_symbol(const int32_t* r, double x, double* carry) {
    int widths[6];
    for (int k = 0; k < 6; ++k) widths[k] = round_half_up_clamped(r[k] / x);
    int value = code128_lookup(code128_pack(widths));
    if (value >= 0) return value;
    double c = *carry;
    for (int k = 0; k < 6; ++k) {
        const double v = c + r[k] / x;
        widths[k] = round_half_up_clamped(v);
        c = v - widths[k];
    }
    *carry = c;
    return code128_lookup(code128_pack(widths));
}

}  // namespace

int barcode_candidate(const int32_t* runs, int n, int s) {
    if (n <= 24 || s >= n || runs[s] == 0) return 0;
    if (s + 1 >= n) return 0;
    const double m = runs[s + 1] / 2.0;
    const int32_t quiet = 5 * int32_t(m);
    // The first two light runs of a row need no quiet zone: a code may touch
    // the left edge of the region.
    if (s >= 3 && runs[s] < quiet) return 0;
    if (!start_matches(runs, n, s, m)) return 0;
    if (n - 7 <= 6) return 0;
    for (int i = 6; i < n - 7; i += 6) {
        const int found = stop_at(runs, n, s, i, m);
        if (found < 0) return 0;
        if (found == 0) continue;
        // Accept the stop when the row ends right after it or a quiet zone
        // follows; otherwise it was a lookalike inside the data.
        const int after = s + i + 8;
        if (after >= n - 2 || runs[after] >= quiet) return i;
    }
    return 0;
}

bool barcode_decode(const int32_t* runs, int s, int i, std::string* text) {
    const int symbols = i / 6;  // start, data, check
    // Without room for a check symbol there is nothing to verify: a start
    // followed directly by a stop is not a barcode.
    if (symbols < 2) return false;
    int64_t sum = 0;
    for (int k = s + 1; k <= s + i; ++k) sum += runs[k];
    const double x = double(sum) / (11.0 * symbols);
    double carry = 0;
    for (int k = 0; k < 6; ++k) carry += runs[s + 1 + k] / x - kCode128StartB[k];
    int64_t checksum = kCode128StartBValue;
    text->clear();
    for (int p = 1; p < symbols; ++p) {
        const int value = read_symbol(runs + s + 1 + 6 * p, x, &carry);
        if (value < 0) return false;
        if (p == symbols - 1) return value == checksum % 103;
        text->push_back(char(value + 32));
        checksum += int64_t(value) * p;
    }
    return false;
}

void barcode_row_search(const int32_t* runs, int n, BarcodeList* list) {
    if (n <= 24) return;
    std::string text;
    for (int s = 0; s < n;) {
        const int i = barcode_candidate(runs, n, s);
        if (i && barcode_decode(runs, s, i, &text)) {
            if (text.size() <= kBarcodeMaxText) barcode_list_add(list, text_from_cp1252(text));
            s += i + 8;  // the light run after the stop may be the next code's quiet zone
        } else {
            s += 2;
        }
    }
}
