// The language question and the choice of the text catalogue.
#include "installer/setup.h"
#include "runtime/gadget.h"
#include "runtime/window.h"

namespace {

// Shows the small window with the language list and its "OK" button.  The
// language becomes "EN" only when "English" is chosen and "OK" pressed; the
// close box keeps French.
void ask_language() {
    intptr_t window = open_window(-1, 0, 0, 200, 63,
                                  WINDOW_SCREEN_CENTERED | WS_CAPTION | WS_SYSMENU,
                                  "Langue / Language");
    if (!window) return;
    int number = static_cast<int>(window);
    if (!set_gadget_parent(window_handle())) {
        close_window(number);
        return;
    }
    int list = static_cast<int>(create_combo_box(-1, 5, 5, 190, 200));
    int ok = static_cast<int>(create_button(-1, 5, 35, 190, 23, "OK"));
    add_item(list, -1, "Francais");
    add_item(list, -1, "English");
    set_state(list, 0);
    set_accessible_name(list, "Langue / Language");
    set_key_buttons(ok, -1);  // Escape closes the window, as its box does
    int event;
    do {
        event = wait_event();
        if (event == EVENT_GADGET && event_gadget() == ok) {
            setup.language = get_state(list) == 0 ? "FR" : "EN";
            event = EVENT_CLOSE_WINDOW;
        }
    } while (event != EVENT_CLOSE_WINDOW);
    close_window(number);
}

}  // namespace

// The language given on the command line is taken without asking, where
// the distribution offers the choice; French otherwise.
void choose_language(const std::string& given) {
    setup.language = "FR";
    if (setup.multilingual != 0 && !given.empty()) setup.language = given;
    else if (setup.multilingual != 0) ask_language();
    load_catalogue(setup.language);
}
