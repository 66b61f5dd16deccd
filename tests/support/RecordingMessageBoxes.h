// MessageBoxes for tests: records every text and answers from a script, never blocks.
#pragma once

#include "app/MessageBoxes.h"

#include <QStringList>

#include <deque>
#include <vector>

namespace varnilog::test {

class RecordingMessageBoxes final : public MessageBoxes {
public:
    struct Shown {
        QString kind; // "error", "message", "okcancel", "yesno"
        QString caption;
        QString text;
    };
    std::vector<Shown> shown;
    std::deque<bool> answers; // next answers to questions; true when empty
    void showErrorBox(const QString& text) override {
        shown.push_back({"error", QString::fromUtf8("Błąd!"), text});
    }
    void showMessage(const QString& caption, const QString& text) override {
        shown.push_back({"message", caption, text});
    }
    bool confirmOkCancel(const QString& caption, const QString& text) override {
        shown.push_back({"okcancel", caption, text});
        return next();
    }
    bool confirmYesNo(const QString& caption, const QString& text) override {
        shown.push_back({"yesno", caption, text});
        return next();
    }
    QStringList errors() const {
        QStringList out;
        for (const auto& s : shown)
            if (s.kind == "error")
                out << s.text;
        return out;
    }

private:
    bool next() {
        if (answers.empty())
            return true;
        const bool a = answers.front();
        answers.pop_front();
        return a;
    }
};

} // namespace varnilog::test
