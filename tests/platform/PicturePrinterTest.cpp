// Printing to PDF files, measured with poppler's pdfimages and pdftocairo.
#include "platform/PicturePrinter.h"

#include "support/TestSupport.h"

#include "imaging/PictureImage.h"

#include <QImage>
#include <QPrinter>
#include <gtest/gtest.h>

#include <regex>
#include <sstream>

using namespace zelpix;
using namespace zelpix::test;

namespace {

TEST(PrintTargetRect, WholeMultiplesOfTheDesignResolution)
{
    const struct {
        int dpiX, dpiY;
        QRect expected;  // for a 100 x 80 picture
    } cases[] = {
        {96, 96, {0, 0, 100, 80}},
        {150, 150, {0, 0, 100, 80}},   // 150 div 96 = 1
        {191, 192, {0, 0, 100, 160}},
        {300, 600, {0, 0, 300, 480}},
        {600, 600, {0, 0, 600, 480}},
        {72, 72, {0, 0, 100, 80}},     // below 96 dpi the picture still prints, at its own size
    };
    for (const auto& c : cases)
        EXPECT_EQ(PrintTargetRect(c.dpiX, c.dpiY, 100, 80), c.expected) << c.dpiX << " x " << c.dpiY;
}

// A picture with no white in it, so that its printed rectangle stands out on the white page.
Picture PrintablePicture(int width, int height)
{
    Picture picture = MakeTestPicture(width, height, 7);
    for (int y = 0; y < height; ++y) {
        std::uint8_t* row = picture.Row(y);
        for (int i = 0; i < 3 * width; ++i)
            row[i] = std::uint8_t(row[i] * 3 / 4);
    }
    return picture;
}

class PrintToPdf : public ::testing::TestWithParam<int> {
protected:
    void SetUp() override
    {
        if (!HaveTool("pdfimages") || !HaveTool("pdftocairo"))
            GTEST_SKIP() << "poppler-utils is not installed";
    }

    std::string Pdf() const { return (temp_ / "page.pdf").string(); }

    void Print(int dpi, const Picture& picture)
    {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(QString::fromStdString(Pdf()));
        printer.setResolution(dpi);
        ASSERT_EQ(printer.resolution(), dpi);
        // Half-inch margins: a whole number of printer pixels, as on a real printer.
        printer.setPageMargins(QMarginsF(36, 36, 36, 36), QPageLayout::Point);
        paintOrigin_ = printer.pageLayout().paintRectPixels(dpi).topLeft();
        ASSERT_EQ(paintOrigin_, QPoint(dpi / 2, dpi / 2));
        PrintPicture(printer, picture);
        ASSERT_TRUE(std::filesystem::exists(Pdf()));
    }

    // poppler's cairo rendering of a window of the page at the printer's resolution.
    QImage Render(int dpi, QRect window)
    {
        const auto prefix = temp_ / "render";
        std::ostringstream command;
        command << "pdftocairo -png -singlefile -r " << dpi << " -x " << window.x() << " -y " << window.y() << " -W "
                << window.width() << " -H " << window.height() << " " << ShellQuote(Pdf()) << " "
                << ShellQuote(prefix.string());
        EXPECT_EQ(RunCommand(command.str()), 0) << command.str();
        return QImage(QString::fromStdString(prefix.string() + ".png")).convertToFormat(QImage::Format_RGB888);
    }

    TempDir temp_;
    QPoint paintOrigin_;
};

// Bounding box of the pixels that are not (nearly) white.
QRect InkBounds(const QImage& image)
{
    QRect bounds;
    for (int y = 0; y < image.height(); ++y) {
        const uchar* row = image.constScanLine(y);
        for (int x = 0; x < image.width(); ++x)
            if (row[3 * x] < 235 || row[3 * x + 1] < 235 || row[3 * x + 2] < 235)
                bounds |= QRect(x, y, 1, 1);
    }
    return bounds;
}

TEST_P(PrintToPdf, PicturesRectangleIsTheDesignResolutionMultiple)
{
    const int dpi = GetParam();
    const int scale = std::max(dpi / 96, 1);
    const Picture picture = PrintablePicture(100, 80);
    Print(dpi, picture);

    // pdfimages: the one image on the page, at the picture's own size, placed at dpi / scale pixels per inch.
    std::string list;
    ASSERT_EQ(RunCommand("pdfimages -list " + ShellQuote(Pdf()), &list), 0);
    std::smatch m;
    ASSERT_TRUE(std::regex_search(list, m, std::regex(R"(\n\s*1\s+0\s+image\s+(\d+)\s+(\d+)\s+\S+\s+\d+\s+\d+\s+\S+\s+\S+\s+\d+\s+\d+\s+(\d+)\s+(\d+))")))
        << list;
    EXPECT_EQ(std::stoi(m[1]), 100);
    EXPECT_EQ(std::stoi(m[2]), 80);
    EXPECT_EQ(std::stoi(m[3]), dpi / scale) << list;
    EXPECT_EQ(std::stoi(m[4]), dpi / scale) << list;
    EXPECT_EQ(std::count(list.begin(), list.end(), '\n'), 3) << "one image only:\n" << list;

    // Rendered, the ink covers scale x 100 by scale x 80 printer pixels from the page's paint origin.
    const QRect window(paintOrigin_ - QPoint(20, 20), QSize(scale * 100 + 40, scale * 80 + 40));
    const QImage rendered = Render(dpi, window);
    ASSERT_FALSE(rendered.isNull());
    const QRect ink = InkBounds(rendered);
    EXPECT_EQ(ink, QRect(20, 20, scale * 100, scale * 80));
}

INSTANTIATE_TEST_SUITE_P(Resolutions, PrintToPdf, ::testing::Values(72, 96, 150, 300, 600),
                         [](const auto& info) { return std::to_string(info.param) + "dpi"; });

TEST_F(PrintToPdf, At96DpiThePicturePrintsPixelForPixel)
{
    const Picture picture = PrintablePicture(64, 48);
    Print(96, picture);
    std::string list;
    RunCommand("pdfimages -list " + ShellQuote(Pdf()), &list);
    EXPECT_EQ(list.find("jpeg"), std::string::npos) << "stored without lossy compression:\n" << list;
    const QImage rendered = Render(96, QRect(paintOrigin_, QSize(64, 48)));
    ASSERT_EQ(rendered.size(), QSize(64, 48));
    EXPECT_EQ(MaxChannelDifference(PictureFromImage(rendered), picture), 0);

}

TEST(PrintPicture, FailuresAreReportedAndTheNextJobWorks)
{
    TempDir temp;
    const Picture picture = PrintablePicture(10, 10);
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);

    printer.setOutputFileName(QString::fromStdString((temp / "no such folder" / "page.pdf").string()));
    EXPECT_THROW(PrintPicture(printer, picture), PrintError);
    printer.setOutputFileName(QString::fromStdString((temp / "page.pdf").string()));
    EXPECT_THROW(PrintPicture(printer, Picture()), PrintError);
    EXPECT_FALSE(std::filesystem::exists(temp / "page.pdf")) << "nothing to print starts no job";

    PrintPicture(printer, picture);
    EXPECT_GT(std::filesystem::file_size(temp / "page.pdf"), 0u);
}

}  // namespace
