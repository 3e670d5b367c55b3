#pragma once
// What the destination sign asks of the window that carries it.

#include <QString>

#include <optional>

class SignHost {
public:
    // The picture-file dialog: the chosen full path, or nothing on cancel.
    virtual std::optional<QString> choosePictureFile() = 0;
    // Tells the user that a chosen picture could not be shown.
    virtual void showPictureError(const QString &text) = 0;
    // The rolling step of sign window index, as set on the control panel now.
    virtual int signStep(int index) = 0;

protected:
    ~SignHost() = default;
};
