#include "app/common_dialog.h"

QString CommonDialog::pictureFilter()
{
    // Besides the classic list: *.jpg, which most JPEG files carry, and *.png.
    return QStringLiteral("画像ファイル (*.bmp *.jpeg *.jpg *.gif *.png *.wmf *.emf)");
}

std::optional<QString> CommonDialog::showOpen(QWidget *parent)
{
    std::optional<QString> chosen = m_dialog.openFile(parent, pictureFilter(), m_fileName);
    if (chosen)
        m_fileName = *chosen;
    return chosen;
}
