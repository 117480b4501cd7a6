#pragma once
// Finding and decoding Start B Code 128 symbols in the run list of one row.
#include <cstdint>
#include <string>

struct BarcodeList;

// Texts longer than this are not recorded.
constexpr size_t kBarcodeMaxText = 199;

// The stop offset i of a barcode whose quiet zone is light run s (its Start B
// begins at run s + 1 and its stop at run s + i + 1), or 0 when run s does not
// start one. Runs at or beyond n do not exist: a pattern that would need them
// does not match.
int barcode_candidate(const int32_t* runs, int n, int s);

// Decodes the candidate with stop offset i into code-set-B characters (value
// + 32, one byte each). False when a symbol cannot be read or the check symbol
// disagrees.
bool barcode_decode(const int32_t* runs, int s, int i, std::string* text);

// Searches the row from every light run and adds the texts found to `list`.
void barcode_row_search(const int32_t* runs, int n, BarcodeList* list);
