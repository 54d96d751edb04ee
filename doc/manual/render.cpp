// tessel-manual-pdf: renders the operator's manual from its Markdown source into a PDF, with
// the pictures the build took from the program. Usage: tessel-manual-pdf SOURCE.md IMAGES OUT.pdf

#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QUrl>

#include <iostream>
#include <vector>

namespace {

// Pictures wider than the text are scaled down to its width, keeping their proportions.
void FitImages(QTextDocument& document, qreal textWidth) {
    struct SImage {
        int position;
        int length;
        QTextImageFormat format;
    };
    std::vector<SImage> images;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (fragment.charFormat().isImageFormat())
                images.push_back({fragment.position(), fragment.length(),
                                  fragment.charFormat().toImageFormat()});
        }
    }
    for (SImage& image : images) {
        const QVariant resource =
            document.resource(QTextDocument::ImageResource, QUrl(image.format.name()));
        const QImage picture = resource.value<QImage>();
        if (picture.isNull() || picture.width() <= textWidth) continue;
        image.format.setWidth(textWidth);
        image.format.setHeight(textWidth * picture.height() / picture.width());
        QTextCursor cursor(&document);
        cursor.setPosition(image.position);
        cursor.setPosition(image.position + image.length, QTextCursor::KeepAnchor);
        cursor.setCharFormat(image.format);
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::cerr << "usage: tessel-manual-pdf SOURCE.md IMAGES OUT.pdf\n";
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QFile source(QString::fromLocal8Bit(argv[1]));
    if (!source.open(QIODevice::ReadOnly)) {
        std::cerr << "cannot read " << argv[1] << '\n';
        return 1;
    }
    const QString imageDir = QFileInfo(QString::fromLocal8Bit(argv[2])).absoluteFilePath();

    QPdfWriter writer(QString::fromLocal8Bit(argv[3]));
    writer.setTitle(
        QStringLiteral("Программатор радиостанций «Тессел». Инструкция по программированию"));
    writer.setCreator(QStringLiteral("Tessel"));
    writer.setResolution(96);
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                     QMarginsF(18, 15, 18, 15), QPageLayout::Millimeter));

    QTextDocument document;
    document.setDefaultFont(QFont(QStringLiteral("DejaVu Sans"), 10));
    document.setBaseUrl(QUrl::fromLocalFile(imageDir + QLatin1Char('/')));
    document.setMarkdown(QString::fromUtf8(source.readAll()));
    const QSizeF page = writer.pageLayout().paintRectPixels(writer.resolution()).size();
    document.setPageSize(page);
    FitImages(document, page.width() - 2 * document.documentMargin());
    document.print(&writer);
    return 0;
}
