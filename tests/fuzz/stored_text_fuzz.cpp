// The stored files' two forms: whatever bytes a file holds read as UTF-8,
// and what the programs would write of that text reads back as the same
// text, in the form it chose.
#include <cstdlib>

#include "runtime/code_page.h"
#include "tests/fuzz/fuzz_target.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view bytes = fuzz_bytes(data, size);
    std::string text = decode_stored_text(bytes);
    if (!is_utf8(text)) std::abort();
    std::string stored = encode_stored_text(text);
    if (decode_stored_text(stored) != text) std::abort();
    // Windows-1252 where it holds the text (and does not begin like the
    // mark), else the mark and the text.
    std::string single_bytes;
    bool fits = utf8_to_windows1252(text, &single_bytes);
    bool marked = stored.compare(0, 3, UTF8_MARK) == 0;
    if (marked ? stored != UTF8_MARK + text : !fits || stored != single_bytes) std::abort();
    if (fits && !marked != (single_bytes.compare(0, 3, UTF8_MARK) != 0)) std::abort();
    for (bool utf8_form : {false, true})
        if (!is_utf8(decode_stored_line(bytes, utf8_form))) std::abort();
    return 0;
}
