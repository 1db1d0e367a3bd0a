#pragma once
// Reading and writing .fr3 templates (see Template.h for the model).
//
//   QString error;
//   auto tpl = printing::loadFr3(path, &error);   // nullopt: error says what and names the file
//   printing::saveFr3(*tpl, path, &error);
//
// Nothing here shows a dialog: errors are handed back as text for the caller to show.

#include "printing/Template.h"

#include <QByteArray>
#include <QString>
#include <optional>

namespace printing {

// The file's bytes as text: UTF-8, and where a stretch of bytes is no UTF-8 (a file saved on a PC with
// the GBK code page), that stretch decoded as GBK.
QString decodeTemplateBytes(const QByteArray& bytes);

// A number as the saving PC wrote it: "," or "." as decimal separator, exponent forms allowed.
std::optional<double> parseFr3Number(const QString& text);
// Shortest form that reads back to the same double, "." as separator.
QString formatFr3Number(double value);

// Parses a template from the file's bytes. On failure returns nullopt and sets *error (with the line).
std::optional<Template> readFr3(const QByteArray& bytes, QString* error = nullptr);
// Loads a template file. A missing file, an unreadable one and one that is no FR3 template each give a
// message that names the file.
std::optional<Template> loadFr3(const QString& path, QString* error = nullptr);

// The template as FR3 XML: UTF-8, standalone="no", line breaks in attributes escaped.
QByteArray writeFr3(const Template& tpl);
bool saveFr3(const Template& tpl, const QString& path, QString* error = nullptr);

// Picture.PropData: hex of the Delphi property stream that holds a picture. Decoding gives the image
// file's bytes and the class it was stored under; false when the data is no picture stream.
bool decodePicturePropData(const QString& hex, QByteArray* image, QString* className);
QString encodePicturePropData(const QByteArray& image, const QString& className);
// The class name the stream needs for image bytes (TPNGObject, TJPEGImage, TBitmap).
QString pictureClassFor(const QByteArray& image);

}  // namespace printing
