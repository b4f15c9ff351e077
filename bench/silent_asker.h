#pragma once

#include "shell/asker.h"

#include <cstdio>

// Benchmarks answer No and print what the program would show in a box.
class SilentAsker final : public quillery::Asker {
public:
    bool Confirm(const QString&, Answer) override { return false; }
    void ShowError(const QString& text) override {
        std::fprintf(stderr, "error: %s\n", qPrintable(text));
    }
    void ShowWarning(const QString& text) override { ShowError(text); }
};
