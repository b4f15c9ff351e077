#pragma once

#include "shell/asker.h"

#include <cstdio>

// Answers No and prints what the program would show in a box: for programs
// that run the main window with nobody at it (benchmarks, child processes).
class SilentAsker final : public quillery::Asker {
public:
    bool Confirm(const QString&, Answer) override { return false; }
    void ShowError(const QString& text) override {
        std::fprintf(stderr, "error: %s\n", qPrintable(text));
    }
    void ShowWarning(const QString& text) override { ShowError(text); }
};
