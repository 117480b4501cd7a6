#pragma once
// The tag report as plain text: \par is a line break, \tab a tab, the special
// characters become their own characters and every other control word goes.
// It reads the report's own subset of rich text, not arbitrary documents.
#include <string>
#include <string_view>

// UTF-8 text, "\n" line ends.
std::string rtf_to_text(std::string_view rtf);
