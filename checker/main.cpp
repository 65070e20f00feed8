// The author's checker: finds a distribution's mistakes before its users
// do, and shows what an installation and an uninstallation would do.
//
//   tarvo-check [--english] [--current-user] [--quiet] DISTRIBUTION-FOLDER
//   tarvo-check --record [--english] [--current-user] DISTRIBUTION-FOLDER
//   tarvo-check --uninstall INSTALL-FOLDER
//
// The first prints the diagnostics and then what Setup would do (--quiet:
// the diagnostics only); --record prints only the Uninstall.dat that Setup
// would write, byte for byte; everything else it prints is UTF-8 text.  It
// reads and never writes.  Exit code: 0 clean, 1 warnings only, 2 errors (3
// for a command line it does not understand).
#include <cstdio>
#include <string>
#include <vector>

#include "checker/checks.h"
#include "checker/console.h"
#include "checker/folder.h"
#include "checker/previews.h"
#include "installer/setup.h"
#include "runtime/code_page.h"
#include "runtime/line_split.h"

namespace {

struct Options {
    bool english = false;
    bool current_user = false;
    bool record_only = false;
    bool quiet = false;
    bool uninstall = false;
    std::string folder;
};

bool parse(const std::vector<std::string>& arguments, Options& o) {
    for (const std::string& a : arguments) {
        if (a == "--english") o.english = true;
        else if (a == "--current-user") o.current_user = true;
        else if (a == "--record") o.record_only = true;
        else if (a == "--quiet") o.quiet = true;
        else if (a == "--uninstall") o.uninstall = true;
        else if (!a.empty() && a[0] == '-') return false;
        else if (o.folder.empty()) o.folder = a;
        else return false;
    }
    return !o.folder.empty() && !(o.uninstall && (o.record_only || o.english || o.current_user || o.quiet));
}

void print_preview(const InstallPreview& p, const Options& o) {
    say("");
    say("What Setup.exe would do, " + std::string(o.current_user ? "for the current user" : "for all users") +
        ", in " + (setup.language == "FR" ? "French" : "English") + ", with the wizard's default options:");
    say("  install folder: " + p.install_dir);
    say("  files copied (" + std::to_string(p.copied.size()) + "):");
    for (const std::string& path : p.copied) say("    " + path);
    if (!p.left_out.empty()) {
        say("  files left out (" + std::to_string(p.left_out.size()) + "):");
        for (const LeftOut& l : p.left_out) say("    " + l.path + "  (" + left_out_reason(l.rule) + ")");
    }
    say("  result page: " + p.size_line);
    say("  Uninstall.dat as Setup completes it:");
    std::string text = decode_stored_text(p.record), line;
    for (size_t at = 0; at < text.size();) {
        at = next_line(text, at, &line);
        say("    | " + line);
    }
    say("  entry in Windows' list of programs:");
    say_lines(apps_entry_lines(p), "    ");
}

int run_check(const Options& o) {
    DistributionTree tree;
    if (!read_named_distribution(o.folder, tree)) return SEVERITY_ERROR;
    CheckReport report;
    std::string template_bytes;
    check_distribution(tree, o.english, report, &template_bytes);
    InstallPreview preview = preview_installation(tree, template_bytes, o.current_user, user_folders());
    if (o.record_only) {
        std::fwrite(preview.record.data(), 1, preview.record.size(), stdout);
        return check_exit_code(report);
    }
    int errors = 0, warnings = 0;
    for (const Diagnostic& d : report.diagnostics) {
        say(diagnostic_text(d));
        (d.severity == SEVERITY_ERROR ? errors : warnings)++;
    }
    say(std::to_string(errors) + " error" + (errors == 1 ? "" : "s") + ", " + std::to_string(warnings) + " warning" +
        (warnings == 1 ? "" : "s"));
    if (!o.quiet) print_preview(preview, o);
    return check_exit_code(report);
}

int run_uninstall_preview(const Options& o) {
    std::vector<std::string> lines;
    bool found = preview_uninstall(o.folder, &lines);
    say("What Uninstall.exe would do, started from its shortcut and confirmed (nothing is changed now):");
    for (const std::string& line : lines) say("  " + line);
    return found ? 0 : SEVERITY_ERROR;
}

}  // namespace

int main(int argc, char** argv) {
    return run_tool(argc, argv, parse,
                    "usage: tarvo-check [--english] [--current-user] [--quiet | --record] DISTRIBUTION-FOLDER\n"
                    "       tarvo-check --uninstall INSTALL-FOLDER\n",
                    [](const Options& o) { return o.uninstall ? run_uninstall_preview(o) : run_check(o); });
}
