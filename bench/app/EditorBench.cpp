// The editor with a 6000 x 4000 picture: opening it, one history step against a plain buffered write of
// the same bitmap, one undo, and repainting a 1000 x 700 visible area at several zooms.
#include "app/TForm1.h"
#include "document/DocumentView.h"
#include "document/TEform1.h"
#include "imaging/PictureIO.h"

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>

namespace zelpix {
namespace {

constexpr int Width = 6000;
constexpr int Height = 4000;

// One application, one program folder and one 6000 x 4000 photo-like picture for the whole run.
struct Editor {
    Editor()
    {
        static int argc = 1;
        static char name[] = "bench_app";
        static char* argv[] = {name, nullptr};
        qputenv("QT_QPA_PLATFORM", "offscreen");
        application = std::make_unique<QApplication>(argc, argv);
        qputenv("ZELPIX_HOME", folder.path().toLocal8Bit());
        picture = Picture(Width, Height);
        for (int y = 0; y < Height; ++y) {
            std::uint8_t* row = picture.Row(y);
            for (int x = 0; x < Width; ++x) {
                row[3 * x] = std::uint8_t(x * 255 / Width);
                row[3 * x + 1] = std::uint8_t(y * 255 / Height);
                row[3 * x + 2] = std::uint8_t((x ^ y) & 0xFF);
            }
        }
        jpeg = (folder.path() + "/large.jpg").toStdString();
        bmp = (folder.path() + "/large.bmp").toStdString();
        WritePictureFile(picture, jpeg);
        WritePictureFile(picture, bmp);
        form = std::make_unique<TForm1>();
        form->show();
    }
    ~Editor()
    {
        for (TEform1* document : form->Documents())
            document->Modified = false;
        form->close();
    }

    QTemporaryDir folder;
    std::unique_ptr<QApplication> application;
    Picture picture;
    std::string jpeg, bmp;
    std::unique_ptr<TForm1> form;
};

Editor& TheEditor()
{
    static Editor editor;
    return editor;
}

void CloseDocuments(TForm1& form)
{
    for (TEform1* document : form.Documents())
        delete document;
}

void OpenToShown(benchmark::State& state, bool jpeg)
{
    Editor& editor = TheEditor();
    for (auto _ : state) {
        TEform1* document = editor.form->NewDocumentWindow();
        document->OpenPictureFile(QString::fromStdString(jpeg ? editor.jpeg : editor.bmp));
        document->PaintBox1->repaint();
        QApplication::processEvents();
        state.PauseTiming();
        CloseDocuments(*editor.form);
        state.ResumeTiming();
    }
}
BENCHMARK_CAPTURE(OpenToShown, jpeg, true)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(OpenToShown, bmp, false)->Unit(benchmark::kMillisecond)->UseRealTime();

TEform1& OpenDocument(Editor& editor)
{
    CloseDocuments(*editor.form);
    TEform1* document = editor.form->NewDocumentWindow();
    document->OpenPictureFile(QString::fromStdString(editor.bmp));
    return *document;
}

void RecordHistoryStep(benchmark::State& state)
{
    Editor& editor = TheEditor();
    TEform1& document = OpenDocument(editor);
    for (auto _ : state)
        document.RecordHistoryStep();
    state.SetBytesProcessed(state.iterations() * std::int64_t(document.WorkingPicture.ByteSize()));
    CloseDocuments(*editor.form); // its history goes with it
}
BENCHMARK(RecordHistoryStep)->Unit(benchmark::kMillisecond)->UseRealTime();

// The yardstick: the same 24-bit bitmap written with a plain buffered stdio write, row by row, to a new
// file each time as history steps are.
void PlainBitmapWrite(benchmark::State& state)
{
    Editor& editor = TheEditor();
    const Picture& picture = editor.picture;
    QDir().mkdir(editor.folder.path() + "/plain");
    int serial = 0;
    const std::uint32_t imageBytes = std::uint32_t(picture.ByteSize());
    std::uint8_t header[54] = {'B', 'M'};
    auto put32 = [&](int at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            header[at + i] = std::uint8_t(v >> (8 * i));
    };
    put32(2, 54 + imageBytes);
    put32(10, 54);
    put32(14, 40);
    put32(18, std::uint32_t(picture.Width()));
    put32(22, std::uint32_t(picture.Height()));
    header[26] = 1;
    header[28] = 24;
    put32(34, imageBytes);
    for (auto _ : state) {
        const std::string path = (editor.folder.path() + "/plain/" + QString::number(serial++) + ".bmp").toStdString();
        FILE* out = std::fopen(path.c_str(), "wb");
        std::fwrite(header, 1, sizeof header, out);
        for (int y = picture.Height() - 1; y >= 0; --y)
            std::fwrite(picture.Row(y), 1, picture.Stride(), out);
        std::fclose(out);
    }
    state.SetBytesProcessed(state.iterations() * std::int64_t(imageBytes));
    QDir(editor.folder.path() + "/plain").removeRecursively();
}
BENCHMARK(PlainBitmapWrite)->Unit(benchmark::kMillisecond)->UseRealTime();

void UndoFromHistory(benchmark::State& state)
{
    Editor& editor = TheEditor();
    TEform1& document = OpenDocument(editor);
    document.RecordHistoryStep();
    for (auto _ : state) {
        document.UndoFromHistory();
        state.PauseTiming();
        document.RedoFromHistory();
        state.ResumeTiming();
    }
}
BENCHMARK(UndoFromHistory)->Unit(benchmark::kMillisecond)->UseRealTime();

// One repaint of a 1000 x 700 visible area in the middle of the view.
void RepaintVisibleArea(benchmark::State& state)
{
    Editor& editor = TheEditor();
    TEform1& document = OpenDocument(editor);
    document.ZoomPercent = double(state.range(0));
    document.RefreshZoom(0, 0);
    QImage target(1000, 700, QImage::Format_RGB32);
    const QSize view = document.PaintBox1->size();
    const QRect exposed(std::max(0, view.width() / 2 - 500), std::max(0, view.height() / 2 - 350), 1000, 700);
    for (auto _ : state) {
        document.PaintBox1->render(&target, QPoint(), QRegion(exposed), QWidget::DrawChildren);
        benchmark::DoNotOptimize(target.constBits());
    }
}
BENCHMARK(RepaintVisibleArea)->Arg(25)->Arg(100)->Arg(400)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace zelpix
