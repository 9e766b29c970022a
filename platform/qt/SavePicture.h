// Pictures put on disk through the one save routine: encoded in memory first,
// so that only a complete picture replaces the file. And the words a window
// shows for a failed save.
#pragma once

#include "platform/SaveFile.h"

#include <QString>

#include <functional>

class QIODevice;
class QImage;

namespace platform {

// Runs encode on an in-memory device and saves what it wrote; false (the old
// file untouched) when encode returns false or the save fails.
bool SaveEncoded(const QString& path, const std::function<bool(QIODevice&)>& encode, SaveError* error = nullptr);

// The image in the format Qt names ("BMP", "JPG").
bool SaveImage(const QImage& image, const QString& path, const char* format, SaveError* error = nullptr);

// "Cannot write the file <file>: <the system's reason>", with the file as the
// user named it when given (a format's second file is named by the error).
QString SaveFailureText(const SaveError& error, const QString& shown = QString());

}  // namespace platform
