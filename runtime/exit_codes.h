// The exit codes of the kit's programs, those deployment tools (Windows
// Installer's own numbers) understand.
#pragma once

constexpr int EXIT_DONE = 0;
constexpr int EXIT_CANCELLED = 1602;         // the user quit or cancelled before anything changed
constexpr int EXIT_FAILED = 1603;            // the run did not complete
constexpr int EXIT_NOT_INSTALLED = 1605;     // the uninstaller found no record
constexpr int EXIT_ANOTHER_RUN = 1618;       // another run of the kit's installer or uninstaller is in progress
constexpr int EXIT_BAD_COMMAND_LINE = 1639;  // a switch or value the program does not understand
