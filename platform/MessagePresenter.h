#pragma once
// The process-wide message presenter: every message box of the converters
// goes through ShowMessage. A host process (the desktop program, the
// command-line tool, a test) installs its presenter once; without one a
// message is printed to standard error as "CAPTION: TEXT", so nothing ever
// blocks in a process without a user interface.
//
// The presenter lives in one slot per process, shared by modules loaded at
// run time: a module's ShowMessage looks up the host's exported slot first,
// so a component's messages reach the dialogs of the program that loaded it.

#include <string_view>

extern "C" {
typedef void (*QuillmerePresenterFn)(void* context, const char* caption, const char* text);
struct QuillmereMessagePresenter {
    QuillmerePresenterFn show;
    void* context;
};
}

namespace platform {

// Installs fn (with its context) as the process's presenter; nullptr restores
// the standard-error default. Returns the presenter it replaced.
QuillmereMessagePresenter SetMessagePresenter(QuillmerePresenterFn fn, void* context = nullptr);

// Shows one modal message with an OK button (or prints it, see above):
// text, then caption, in the order of IMessageUi::ShowMessage.
void ShowMessage(std::string_view text, std::string_view caption);

} // namespace platform
