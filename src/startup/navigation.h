#pragma once
#include <functional>

namespace kanameru {

// How one screen hands over to another, and how the program ends. Every form registers its
// own entry when the program starts (startProgram); tests register only what they need and
// can watch what a screen asks for. An entry that nobody registered does nothing.
struct Screens {
    std::function<void()> showNameSelection; // namesel, loaded afresh
    std::function<void()> showResultsBoard;  // seisekitime1, loaded afresh
    std::function<void()> showDrillForm;     // MainFrm for currentLevel and memorizeMode
    std::function<void()> showEndScreen;     // FrmSyuuryou
    std::function<void()> showBackdrop;      // BASEFRM
    std::function<void()> hideBackdrop;
    // Ends the program in order: forms closed, the given exit code.
    std::function<void(int exitCode)> endProgram;
};

Screens& screens();

// Calls the registered entry, if any.
void showNameSelection();
void showResultsBoard();
void showDrillForm();
void showEndScreen();
void showBackdrop();
void hideBackdrop();

// Ends the program in order with the exit code (non-zero after a fatal error). Without a
// registered entry it asks the running event loop to quit with that code. Called before the
// event loop runs, the program's entry sees programEnding() and never enters it. Only the
// first call counts; once ending, the show... entries above do nothing.
void endProgram(int exitCode);
// True once endProgram has been called in this run.
bool programEnding();
// The exit code the first endProgram call gave (0 while the program is not ending).
int programExitCode();
// Clears the ending flag and every registered entry (tests).
void resetScreens();
// Clears the ending flag only, keeping the entries (tests that end the program in one case and
// go on with the next).
void resetProgramEnding();

} // namespace kanameru
