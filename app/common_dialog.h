#pragma once
// C_Dialog1: the one open-file dialog of the coach window, shared by the
// destination sign and the signboard. It remembers the path last chosen in
// it and offers it the next time it opens.

#include "platform/platform.h"

#include <QString>

#include <optional>

class CommonDialog {
public:
    explicit CommonDialog(plat::FileDialog &dialog) : m_dialog(dialog) {}

    // The picture kinds offered.
    static QString pictureFilter();

    // Shows the dialog; the chosen full path, or nothing on cancel.
    std::optional<QString> showOpen(QWidget *parent);

    QString fileName() const { return m_fileName; }

private:
    plat::FileDialog &m_dialog;
    QString m_fileName;
};
