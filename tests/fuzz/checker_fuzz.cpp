// The author's checker over any bytes as setup.ini and as the Uninstall.dat
// template, with the installation preview that follows: it reports and
// ends, whatever it reads.
#include "checker/checks.h"
#include "checker/previews.h"
#include "installer/setup.h"
#include "tests/fuzz/fuzz_target.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view bytes = fuzz_bytes(data, size);
    DistributionTree tree;
    CheckReport report;
    SettingsLines lines;
    check_settings(bytes, report, lines);
    check_record_template(bytes, tree, report);
    check_files(tree, lines, report);
    setup.language = "FR";
    load_catalogue(setup.language);
    preview_installation(tree, bytes, size % 2 == 1, sample_user_folders());
    for (const Diagnostic& d : report.diagnostics) diagnostic_text(d);
    return 0;
}
