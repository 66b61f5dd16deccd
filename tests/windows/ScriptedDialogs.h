// StandardDialogs for window tests: answers from a script and records what was asked; never blocks.
#pragma once

#include "windows/StandardDialogs.h"

#include <QPrinter>

#include <deque>
#include <functional>
#include <vector>

namespace varnilog::test {

class ScriptedDialogs final : public StandardDialogs {
public:
    std::deque<QString> fileNames;            // answers of the save dialog; empty text = cancel
    std::deque<QString> directories;          // answers of the folder picker
    std::deque<QString> openNames;            // answers of the open dialog; empty text = cancel
    std::deque<std::optional<QColor>> colors; // answers of the colour dialog; nullopt = cancel
    std::vector<QColor> colorPresets;         // the colour each colour dialog was opened with
    std::vector<QString> saveFilters, saveSuffixes, saveInitialNames;
    std::function<void()> whileSaveDialogOpen; // what happens while the save dialog is open (events)
    std::deque<QString> printFiles; // each print preview prints to this PDF file; empty text = cancel
    std::vector<QPageLayout::Orientation> printOrientations; // the page each preview was opened with
    std::vector<QString> printOfferedFiles;                  // the PDF file each preview offered

    QString saveFileName(QWidget*, const QString& filter, const QString& suffix,
                         const QString& initial) override {
        saveFilters.push_back(filter);
        saveSuffixes.push_back(suffix);
        if (whileSaveDialogOpen)
            whileSaveDialogOpen();
        saveInitialNames.push_back(initial);
        return take(fileNames, QString());
    }
    QString existingDirectory(QWidget*, const QString&) override { return take(directories, QString()); }
    QString openFileName(QWidget*, const QString&, const QString&) override {
        return take(openNames, QString());
    }
    std::optional<QColor> color(QWidget*, const QColor& initial) override {
        colorPresets.push_back(initial);
        return take(colors, std::optional<QColor>());
    }

    bool printPreview(QWidget*, QPrinter& printer, const std::function<void(QPrinter&)>& paint) override {
        printOrientations.push_back(printer.pageLayout().orientation());
        printOfferedFiles.push_back(printer.outputFileName());
        const QString file = take(printFiles, QString());
        if (file.isEmpty())
            return false;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(file);
        paint(printer);
        return true;
    }

private:
    template <typename T> static T take(std::deque<T>& queue, T fallback) {
        if (queue.empty())
            return fallback;
        T value = queue.front();
        queue.pop_front();
        return value;
    }
};

} // namespace varnilog::test
