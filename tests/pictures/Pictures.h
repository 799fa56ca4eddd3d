#pragma once
// Picture makers: each renders a window offscreen in the states worth a
// look by eye and saves them as PNG files into the pictures folder of the
// build (`cmake --build build --target pictures`). They assert nothing the
// tests do not already check.

#include <QDir>
#include <QImage>
#include <QString>
#include <QWidget>
#include <gtest/gtest.h>

namespace pictures {

inline void Save(QWidget& window, const char* name)
{
    const QImage image = window.grab().toImage();
    const QDir out(QStringLiteral(ZC4160_PICTURE_DIR));
    EXPECT_TRUE(image.save(out.filePath(QString::fromUtf8(name)))) << name;
}

} // namespace pictures
