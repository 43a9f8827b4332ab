#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

// Plays a script against the modal dialog a test shows, on the test's own
// thread: every step runs on a timer tick inside the dialog's modal loop,
// and message boxes are caught by a CBT hook, recorded and answered with OK.
// No step runs while a message box is open. A dialog still open ten seconds
// after the last step is ended with -99.
class DialogDriver {
public:
    // A step returns false to be tried again on the next tick.
    typedef std::function<bool(HWND dialog)> Step;

    struct Message {
        std::string caption;
        std::string text;
        bool information; // the information icon (not the warning one)
    };

    DialogDriver();
    DialogDriver(const DialogDriver&) = delete;
    DialogDriver& operator=(const DialogDriver&) = delete;
    ~DialogDriver();

    DialogDriver& then(const Step& step);
    // Focus to the edit control, its text selected and replaced keystroke
    // by keystroke (WM_CHAR), as typing does.
    DialogDriver& type(int id, const std::string& text);
    // The button's click as the dialog receives it (WM_COMMAND BN_CLICKED).
    DialogDriver& press(int id);
    // A key as the user presses it on the focused control (posted).
    DialogDriver& key(int virtualKey);
    DialogDriver& closeBox();
    DialogDriver& choose(int comboId, int index);
    DialogDriver& check(int id, bool checked);
    // Waits until done() holds (at most ten seconds, then the step gives up).
    DialogDriver& waitUntil(const std::function<bool()>& done);
    // Runs a plain action.
    DialogDriver& act(const std::function<void(HWND dialog)>& action);

    // Runs show() with the script; returns what show() returned.
    int run(const std::function<int()>& show);

    const std::vector<Message>& getMessages() const { return messages; }
    // The message texts, in the order they were shown.
    std::vector<std::string> texts() const;

private:
    static LRESULT CALLBACK hookProcedure(int code, WPARAM wParam, LPARAM lParam);
    static void CALLBACK timerProcedure(HWND, UINT, UINT_PTR, DWORD);
    void tick();
    void answer(HWND box);
    HWND findDialog() const;

    std::vector<Step> steps;
    size_t next;
    std::vector<Message> messages;
    HHOOK hook;
    UINT_PTR timer;
    int openBoxes;
    bool busy;
    DWORD lastProgress;
};

// The text of a dialog's control.
std::string controlText(HWND dialog, int id);
// The background colour the program gave the edit control (white when none).
unsigned long editBackground(HWND dialog, int id);
