#include "platform/qt/SavePicture.h"

#include <QBuffer>
#include <QByteArray>
#include <QFile>
#include <QImage>

namespace platform {

bool SaveEncoded(const QString& path, const std::function<bool(QIODevice&)>& encode, SaveError* error)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    if (!buffer.open(QIODevice::WriteOnly) || !encode(buffer)) {
        if (error)
            *error = SaveError{QFile::encodeName(path).toStdString(), "the picture could not be encoded"};
        return false;
    }
    buffer.close();
    return SaveBytes(QFile::encodeName(path).toStdString(),
                     std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())), error);
}

QString SaveFailureText(const SaveError& error, const QString& shown)
{
    const QString file = shown.isEmpty() ? QFile::decodeName(error.file.c_str()) : shown;
    return "Cannot write the file " + file + ": " + QString::fromStdString(error.reason);
}

bool SaveImage(const QImage& image, const QString& path, const char* format, SaveError* error)
{
    return SaveEncoded(path, [&](QIODevice& device) { return !image.isNull() && image.save(&device, format); }, error);
}

}  // namespace platform
