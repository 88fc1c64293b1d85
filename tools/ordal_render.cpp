// ordal-render LAYOUT PNG
//
// Loads a window layout (app/windows/FormMnemo.layout, layouts/Gallery.layout) into a
// stand-in window of the class its first line names and writes the window as it
// first shows, before any live data, to a PNG file. No database, no INI file:
// every element keeps its layout values. Runs on the offscreen platform unless
// QT_QPA_PLATFORM says otherwise. Nobody is there to answer: a message box an
// element would show goes to stderr instead, and the tool then fails.

#include "FontSubstitutes.h"
#include "Layout.h"
#include "Platform.h"

#include <QApplication>
#include <QFile>
#include <QImage>
#include <QPaintEvent>
#include <QPainter>
#include <QRegularExpression>
#include <QStringDecoder>
#include <cstdio>
#include <memory>

namespace {

// The windows whose layouts the tool knows: plain black windows, as the
// scheme's own window is under its elements.
class TBlackWindow : public QWidget {
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent* e) override {
        QPainter p(this);
        p.fillRect(e->rect(), Qt::black);
    }
};

} // namespace

class TFormMnemo : public TBlackWindow {
    Q_OBJECT
public:
    using TBlackWindow::TBlackWindow;
};

class TFormGallery : public TBlackWindow {
    Q_OBJECT
public:
    using TBlackWindow::TBlackWindow;
};

namespace {

void Fail(const QString& text) {
    std::fprintf(stderr, "ordal-render: %s\n", text.toLocal8Bit().constData());
}

// The platform of a tool without an operator: no dialog waits for an answer.
// A message box is printed and answered with its escape button; a dialog is
// cancelled; the computer is never powered off.
class TBatchPlatform : public Platform {
public:
    int messages = 0;

    void Beep() override {}
    QMessageBox::StandardButton MessageBox(const QString& text, const QString& caption, QMessageBox::Icon,
                                           QMessageBox::StandardButtons buttons,
                                           QMessageBox::StandardButton) override {
        ++messages;
        Fail(QStringLiteral("message \"%1\": %2").arg(caption, text));
        for (QMessageBox::StandardButton b : {QMessageBox::Cancel, QMessageBox::No, QMessageBox::Ok})
            if (buttons.testFlag(b))
                return b;
        return QMessageBox::NoButton;
    }
    int ExecDialog(QDialog&) override {
        ++messages;
        Fail(QStringLiteral("a dialog would wait for an answer here"));
        return 0; // QDialog::Rejected
    }
    bool ChooseColor(TColor&, QWidget*) override { return false; }
    bool ChooseFont(QFont&, TColor&, QWidget*) override { return false; }
    QString ChooseSaveFile(QWidget*, const QString&, const QString&, const QString&) override { return QString(); }
    bool ShutdownComputer() override { return false; }
};

// The class of the layout's window: the first "object Name: TClass" line.
QString RootClass(const QString& fileName, QString* error) {
    QFile f(fileName);
    if (!f.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("%1: cannot open: %2").arg(fileName, f.errorString());
        return QString();
    }
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString text = utf8.decode(f.readAll());
    static const QRegularExpression first(QStringLiteral(R"(^\s*object\s+\w+\s*:\s*(\w+)\s*$)"),
                                          QRegularExpression::MultilineOption |
                                              QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = first.match(text);
    if (!m.hasMatch()) {
        *error = QStringLiteral("%1: no \"object Name: TClass\" line").arg(fileName);
        return QString();
    }
    return m.captured(1);
}

std::unique_ptr<QWidget> MakeRoot(const QString& cls) {
    if (cls.compare(QLatin1String("TFormMnemo"), Qt::CaseInsensitive) == 0)
        return std::make_unique<TFormMnemo>();
    if (cls.compare(QLatin1String("TFormGallery"), Qt::CaseInsensitive) == 0)
        return std::make_unique<TFormGallery>();
    return nullptr;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments().mid(1);
    if (args.size() != 2) {
        std::fprintf(stderr, "usage: ordal-render LAYOUT PNG\n"
                             "  writes the window of a layout file (TFormMnemo, TFormGallery) as a picture\n");
        return 2;
    }
    // The fonts the program draws the layouts' Windows fonts with.
    InstallFontSubstitutes();
    TBatchPlatform batch;
    SetPlatform(&batch);

    QString error;
    const QString cls = RootClass(args[0], &error);
    if (cls.isEmpty()) {
        Fail(error);
        return 1;
    }
    std::unique_ptr<QWidget> root = MakeRoot(cls);
    if (!root) {
        Fail(QStringLiteral("%1: no window class %2 here (TFormMnemo, TFormGallery)").arg(args[0], cls));
        return 1;
    }
    try {
        LoadLayout(root.get(), args[0]);
    } catch (const ELayoutError& e) {
        Fail(e.Text());
        return 1;
    }
    if (root->width() <= 0 || root->height() <= 0) {
        Fail(QStringLiteral("%1: the layout gives the window no size (ClientWidth, ClientHeight)").arg(args[0]));
        return 1;
    }
    root->show();
    QApplication::processEvents();
    QImage picture(root->size(), QImage::Format_RGB32);
    picture.fill(Qt::black);
    root->render(&picture);
    if (batch.messages > 0) {
        Fail(QStringLiteral("%1: the layout made the window ask or complain (above); no picture").arg(args[0]));
        return 1;
    }
    if (!picture.save(args[1], "PNG")) {
        Fail(QStringLiteral("%1: cannot write the picture").arg(args[1]));
        return 1;
    }
    return 0;
}

#include "ordal_render.moc"
