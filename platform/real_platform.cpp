#include "platform/leak_check.h"
#include "platform/pacing.h"
#include "platform/platform.h"
#include "platform/sdl_sound.h"
#include "platform/startup.h"
#include "platform/window_keeping.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QMessageBox>
#include <QFileInfo>
#include <QGuiApplication>
#include <QUrl>

#include <cstdio>
#include <cstdlib>

namespace plat {

namespace {

class RealFileDialog final : public FileDialog {
public:
    std::optional<QString> openFile(QWidget *parent, const QString &nameFilter,
                                    const QString &initialPath) override
    {
        // As QFileDialog::getOpenFileName, but a dialog of our own making, so
        // that it can be kept above the control panel.
        QFileDialog dialog(parent, QString(), initialPath, nameFilter);
        dialog.setFileMode(QFileDialog::ExistingFile);
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        keepAboveThePanel(&dialog);
        restoreWhenMinimised(&dialog);
        if (dialog.exec() != QDialog::Accepted)
            return std::nullopt;
        const QStringList chosen = dialog.selectedFiles();
        if (chosen.isEmpty() || chosen.constFirst().isEmpty())
            return std::nullopt;
        return chosen.constFirst();
    }
};

class RealAlerts final : public Alerts {
public:
    void show(QWidget *parent, AlertIcon icon, const QString &title,
              const QString &text) override
    {
        const QMessageBox::Icon shown = icon == AlertIcon::Critical  ? QMessageBox::Critical
                                        : icon == AlertIcon::Warning ? QMessageBox::Warning
                                                                     : QMessageBox::Information;
        QMessageBox box(shown, title, text, QMessageBox::Ok, parent);
        keepAboveThePanel(&box);
        restoreWhenMinimised(&box);
        box.exec();
    }
};

class RealShell final : public Shell {
public:
    void open(const QString &address) override
    {
        QDesktopServices::openUrl(QUrl::fromUserInput(address));
    }
};

class RealProcess final : public Process {
public:
    QString executablePath() const override
    {
        return QCoreApplication::applicationFilePath();
    }
    [[noreturn]] void exit(int code) override
    {
        std::fflush(nullptr);
        checkLeaksBeforeExit();
        // Ends at once: no event loop, handler or destructor runs after this,
        // even when the window was closed from inside a door step.
        std::_Exit(code);
    }
};

class RealWindowSystem final : public WindowSystem {
public:
    bool canPlaceWindows() const override
    {
        return canPlaceWindowsOn(QGuiApplication::platformName());
    }
};

} // namespace

Platform &Platform::real()
{
    static RealPacing pacing;
    static RealFileDialog fileDialog;
    static RealAlerts alerts;
    static RealShell shell;
    static SdlSound sound;
    static RealProcess process;
    static RealWindowSystem windowSystem;
    static Platform platform{&pacing, &fileDialog, &alerts, &shell, &sound, &process,
                             &windowSystem};
    return platform;
}

QString modelNumber(const Process &process)
{
    return QFileInfo(process.executablePath()).completeBaseName();
}

QString programFolder(const Process &process)
{
    return QFileInfo(process.executablePath()).absolutePath();
}

} // namespace plat
