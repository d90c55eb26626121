#include "ui/common/PictureFormat.h"

namespace nimbrel {

namespace {

bool isSvgText(QByteArray head) {
    if (head.startsWith("\xEF\xBB\xBF")) head.remove(0, 3);
    head = head.trimmed();
    if (head.startsWith("<svg")) return true;
    // An XML prolog or a comment may come before the drawing, or before some other XML.
    const bool prologue = head.startsWith("<?xml") || head.startsWith("<!--") || head.startsWith("<!DOCTYPE svg");
    return prologue && head.contains("<svg");
}

} // namespace

QByteArray pictureFormat(const QByteArray& head) {
    const struct {
        QByteArray magic;
        const char* format;
    } signatures[] = {
        {QByteArray("\x89PNG\r\n\x1a\n", 8), "png"},
        {QByteArray("\xFF\xD8\xFF", 3), "jpeg"},
        {QByteArray("GIF87a", 6), "gif"},
        {QByteArray("GIF89a", 6), "gif"},
        {QByteArray("icns", 4), "icns"},
        {QByteArray("\0\0\1\0", 4), "ico"},
        {QByteArray("\x1f\x8b", 2), "svgz"},
        {QByteArray("BM", 2), "bmp"},
    };
    for (const auto& s : signatures)
        if (head.startsWith(s.magic)) return s.format;
    return isSvgText(head) ? QByteArray("svg") : QByteArray();
}

} // namespace nimbrel
