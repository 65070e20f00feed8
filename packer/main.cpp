// The author's packer: one self-extracting, compressed, checked file from
// a distribution folder.
//
//   tarvo-pack DISTRIBUTION-FOLDER OUTPUT.exe [--sign CERT.pfx --password-file FILE] [--stub FILE]
//
// It runs the checker first and refuses a distribution with errors; once
// packed, it says what the package holds and the entry an installation for
// all users writes in Windows' list of programs.  With --sign the package
// is signed by osslsigncode with the certificate, whose password the file's
// first line holds.  Exit code: 0 packed, 1 refused or
// failed, 3 for a command line it does not understand.
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "checker/checks.h"
#include "checker/console.h"
#include "checker/folder.h"
#include "checker/previews.h"
#include "installer/setup.h"
#include "packer/pack.h"
#include "packer/tools.h"

namespace {

constexpr int FAILED = 1;

struct Options {
    std::string folder, output, certificate, password_file, stub;
};

bool parse(const std::vector<std::string>& arguments, Options& o) {
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& a = arguments[i];
        bool has_value = i + 1 < arguments.size();
        if (a == "--sign" && has_value) o.certificate = arguments[++i];
        else if (a == "--password-file" && has_value) o.password_file = arguments[++i];
        else if (a == "--stub" && has_value) o.stub = arguments[++i];
        else if (!a.empty() && a[0] == '-') return false;
        else if (o.folder.empty()) o.folder = a;
        else if (o.output.empty()) o.output = a;
        else return false;
    }
    return !o.output.empty() && o.certificate.empty() == o.password_file.empty();
}

// The checker's diagnostics; false when there is an error.  *template_bytes
// gets the Uninstall.dat template, for the preview.
bool checked(const DistributionTree& tree, std::string* template_bytes) {
    CheckReport report;
    check_distribution(tree, false, report, template_bytes);
    for (const Diagnostic& d : report.diagnostics) say(diagnostic_text(d));
    if (check_exit_code(report) == SEVERITY_ERROR) {
        say("the distribution has errors: nothing was packed");
        return false;
    }
    return true;
}

std::string megabytes(uint64_t bytes) {
    char text[32];
    if (bytes < 1000000) std::snprintf(text, sizeof text, "%.1f KB", static_cast<double>(bytes) / 1e3);
    else std::snprintf(text, sizeof text, "%.2f MB", static_cast<double>(bytes) / 1e6);
    return text;
}

int pack(const Options& o) {
    DistributionTree tree;
    std::string template_bytes;
    if (!read_named_distribution(o.folder, tree) || !checked(tree, &template_bytes)) return FAILED;
    // The entry the package's installation will write, as the checker
    // previews it from the settings just read.
    InstallPreview preview = preview_installation(tree, template_bytes, false, user_folders());
    std::string stub, error;
    if (!load_stub(o.stub, &stub, &error)) {
        say("error: " + error);
        return FAILED;
    }
    std::string title = setup.program_name.empty() ? "Setup" : setup.program_name + " - v" + setup.program_version;
    std::string written = o.certificate.empty() ? o.output : o.output + ".unsigned";
    auto started = std::chrono::steady_clock::now();
    PackFacts facts;
    if (!write_package(tree, stub, title, written, &facts, &error)) {
        say("error: " + error);
        return FAILED;
    }
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    if (!o.certificate.empty()) {
        bool signed_ok = sign_package(written, o.output, o.certificate, o.password_file, title, &error);
        remove_file(written);
        if (!signed_ok) {
            say("error: " + error);
            return FAILED;
        }
    }
    if (!package_reads_back(o.output)) {
        say("error: " + o.output + " does not read back as a package; it was removed");
        remove_file(o.output);
        return FAILED;
    }
    char ratio[32];
    std::snprintf(ratio, sizeof ratio, "%.1f %%", facts.bytes_before ? 100.0 * facts.bytes_after / facts.bytes_before : 0.0);
    char speed[32];
    std::snprintf(speed, sizeof speed, "%.1f s, %.1f MB/s", seconds,
                  seconds > 0 ? static_cast<double>(facts.bytes_before) / 1e6 / seconds : 0.0);
    say(o.output + (o.certificate.empty() ? "" : " (signed)") + ": " + std::to_string(facts.files) + " files in " +
        std::to_string(facts.folders) + " folders, " + megabytes(facts.bytes_before) + " packed into " +
        megabytes(facts.bytes_after) + " (" + ratio + "), " + megabytes(facts.package_size) + " with the " +
        megabytes(stub.size()) + " self-extracting program; packing took " + speed);
    say("entry in Windows' list of programs, for an installation for all users:");
    say_lines(apps_entry_lines(preview), "  ");
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    return run_tool(argc, argv, parse,
                    "usage: tarvo-pack DISTRIBUTION-FOLDER OUTPUT.exe [--sign CERT.pfx --password-file FILE] "
                    "[--stub FILE]\n",
                    pack);
}
