// The main window's commands: every menu item and tool-bar button in one table. A row with a handler is
// available; a row without one is shown disabled until its command exists.
#include "app/TForm1.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QSvgRenderer>
#include <QToolBar>
#include <QToolButton>
#include <map>

namespace zelpix {

enum CommandFlag { Plain = 0, Checkable = 1 };

struct TForm1::CommandRow {
    const char* menu;    // submenu path, levels split by '|'; nullptr: a tool-bar button only
    const char* name;    // control name; nullptr: derived from the caption; "-": separator; "#recent": slots
    const char* caption; // menu caption (buttons without a menu item: their hint)
    const char* shortcut;
    const char* hint;    // tool-bar hint; a row with a hint is a button with resources/toolbar/<name>.svg
    void (TForm1::*handler)();
    int flags;
};

const TForm1::CommandRow TForm1::commandRows[] = {
    {"&File", "newbmp", "New", "Ctrl+N", "Create a new image", nullptr, Plain},
    {"&File|Open", "open", "Open Image...", "Ctrl+O", "Open images", &TForm1::openClick, Plain},
    {"&File|Open", "-", nullptr, nullptr, nullptr, nullptr, Plain},
    {"&File|Open", "#recent", nullptr, nullptr, nullptr, nullptr, Plain},
    {"&File", "save", "Save", "Ctrl+S", "Save images", &TForm1::saveClick, Plain},
    {"&File", "saveas", "Save As...", "Ctrl+Alt+S", "Save as", &TForm1::saveasClick, Plain},
    {"&File", "saveall", "Save All", "Ctrl+Alt+A", "Save all", &TForm1::saveallClick, Plain},
    {"&File", "sendmail", "Email Images...", nullptr, "Email images", nullptr, Plain},
    {"&File", nullptr, "Print Setup...", "Ctrl+Alt+P", nullptr, &TForm1::PrintSetup1Click, Plain},
    {"&File", "print", "Print...", "Ctrl+P", "Print images", &TForm1::printClick, Plain},
    {"&File", nullptr, "Close", "Ctrl+Q", nullptr, &TForm1::Close1Click, Plain},

    {"&Edit", "undo", "Undo", "Ctrl+Z", "Undo", &TForm1::undoClick, Plain},
    {"&Edit", "Redo", "Redo", "Ctrl+Y", "Redo", &TForm1::RedoClick, Plain},
    {"&Edit", nullptr, "Reset Image", nullptr, nullptr, &TForm1::ResetImage1Click, Plain},
    {"&Edit", "CopyTo", "Copy", "Ctrl+C", "Copy", &TForm1::CopyToClick, Plain},
    {"&Edit", "PasteFrom", "Paste to Current Image", nullptr, "Paste to Current Image", nullptr, Plain},
    {"&Edit", "PasteNew", "Paste as New Image", "Ctrl+V", "Paste to New Image", &TForm1::PasteNewClick, Plain},
    {"&Edit", "Memorize", "Crop", nullptr, "Crop", &TForm1::MemorizeClick, Plain},
    {"&Edit", "Erase", "Erase", nullptr, "Clear", &TForm1::EraseClick, Plain},

    {"&Convert", "convert", "Convert Image Format", nullptr, "Converter images format", nullptr, Plain},
    {"&Convert", "Batch", "Batch Conversion", nullptr, "Batch conversion", nullptr, Plain},
    {"&Convert", nullptr, "Convert GIF to AVI", nullptr, nullptr, nullptr, Plain},
    {"&Convert", nullptr, "Convert AVI to GIF", nullptr, nullptr, nullptr, Plain},
    {"&Convert", nullptr, "Convert GIF to EMF", nullptr, nullptr, nullptr, Plain},

    {"&View|Top Toolbar", nullptr, "File Control Bar", nullptr, nullptr, &TForm1::FileControlBar1Click, Checkable},
    {"&View|Top Toolbar", nullptr, "Image Edit Bar", nullptr, nullptr, &TForm1::ImageEditBar1Click, Checkable},
    {"&View|Top Toolbar", nullptr, "Image View Bar", nullptr, nullptr, &TForm1::ImageViewBar1Click, Checkable},
    {"&View|Top Toolbar", nullptr, "Image Process Bar", nullptr, nullptr, &TForm1::ImageProcessBar1Click, Checkable},
    {"&View", nullptr, "Left Toolbar", nullptr, nullptr, nullptr, Checkable},
    {"&View", nullptr, "Navigation Window", nullptr, nullptr, nullptr, Checkable},
    {"&View", nullptr, "Color Window", nullptr, nullptr, nullptr, Checkable},
    {"&View", nullptr, "Filter Window", nullptr, nullptr, nullptr, Checkable},
    {"&View", nullptr, "Background Color", nullptr, nullptr, nullptr, Plain},

    {"&Zoom", "ZoomOut", "Zoom Out", nullptr, "Zoom out", &TForm1::ZoomOutClick, Plain},
    {"&Zoom", "OriginalSize", "Original Size", nullptr, "Original size", &TForm1::OriginalSizeClick, Plain},
    {"&Zoom", "ZoomIn", "Zoom In", nullptr, "Zoom in", &TForm1::ZoomInClick, Plain},
    {"&Zoom", "BestFit", "Best Fit", nullptr, "Best fit", &TForm1::BestFitClick, Plain},

    {"&Image|Color", nullptr, "Get RGB Channels", nullptr, nullptr, nullptr, Plain},
    {"&Image|Color", nullptr, "Get HSV Channels", nullptr, nullptr, nullptr, Plain},
    {"&Image|Color", nullptr, "Change Color Depth", nullptr, nullptr, nullptr, Plain},
    {"&Image", "HorizontalMirror", "Horizontal Mirror", nullptr, "Horizontal mirror", &TForm1::HorizontalMirrorClick, Plain},
    {"&Image", "VerticalMirror", "Vertical Mirror", nullptr, "Vertical mirror", &TForm1::VerticalMirrorClick, Plain},
    {"&Image", "Rotate", "Rotate...", nullptr, "Rotate", nullptr, Plain},
    {"&Image", "Resize", "Resize...", nullptr, "Resize", nullptr, Plain},
    {"&Image", "AdColor", "Adjust Color", nullptr, "Adjust color", nullptr, Plain},
    {"&Image", "Negative", "Negative", nullptr, "Negative", &TForm1::NegativeClick, Plain},
    {"&Image", "GrayScale", "Gray Scale", nullptr, "Grayscale", &TForm1::GrayScaleClick, Plain},
    {"&Image", "Intensity", "Intensity", nullptr, "Intensity", nullptr, Plain},

    {"I&nsert", "AddText", "Text", nullptr, "Insert text", nullptr, Checkable},
    {"I&nsert", nullptr, "Image", nullptr, nullptr, nullptr, Plain},
    {"I&nsert", nullptr, "Clipboard Image", nullptr, nullptr, nullptr, Plain},

    {"&Mixing", nullptr, "Original Image(50%)", nullptr, nullptr, nullptr, Plain},
    {"&Mixing", nullptr, "Gradient", nullptr, nullptr, nullptr, Plain},
    {"&Mixing", nullptr, "Lighten Gradient", nullptr, nullptr, nullptr, Plain},
    {"&Mixing", nullptr, "Blend Images", nullptr, nullptr, nullptr, Plain},

    {"E&ffect Filter|Artistic", nullptr, "Curl", nullptr, nullptr, nullptr, Plain},
    {"E&ffect Filter|Artistic", nullptr, "Engrave", nullptr, nullptr, nullptr, Plain},
    {"E&ffect Filter|Artistic", nullptr, "Exposure", nullptr, nullptr, nullptr, Plain},
    {"E&ffect Filter|Artistic", nullptr, "Fade", nullptr, nullptr, nullptr, Plain},
    {"E&ffect Filter|Artistic", nullptr, "Noisy", nullptr, nullptr, nullptr, Plain},
    {"E&ffect Filter|Artistic", nullptr, "Oil Paint", nullptr, nullptr, nullptr, Plain},
    {"E&ffect Filter|Artistic", nullptr, "Spray", nullptr, nullptr, nullptr, Plain},
    {"E&ffect Filter|Blur && Sharpen", nullptr, "Blur", nullptr, nullptr, nullptr, Plain},
    {"E&ffect Filter|Blur && Sharpen", nullptr, "Sharpen", nullptr, nullptr, nullptr, Plain},
    {"E&ffect Filter|Color Perfect", nullptr, "Auto Contrast", nullptr, nullptr, nullptr, Plain},
    {"E&ffect Filter|Color Perfect", nullptr, "Bleed", nullptr, nullptr, nullptr, Plain},
    {"E&ffect Filter|Color Perfect", nullptr, "Color Superimposition", nullptr, nullptr, nullptr, Plain},
    {"E&ffect Filter|Color Perfect", nullptr, "Enhance", nullptr, nullptr, nullptr, Plain},
    {"E&ffect Filter|Color Perfect", nullptr, "Gray Area", nullptr, nullptr, nullptr, Plain},
    {"E&ffect Filter|Color Perfect", nullptr, "Hist Auto Equalize", nullptr, nullptr, nullptr, Plain},
    {"E&ffect Filter|Color Perfect", nullptr, "Hue && Saturation", nullptr, nullptr, nullptr, Plain},
    {"E&ffect Filter|Color Perfect", nullptr, "Purple", nullptr, nullptr, nullptr, Plain},
    {"E&ffect Filter|Color Perfect", nullptr, "Spooky", nullptr, nullptr, nullptr, Plain},
    {"E&ffect Filter|Color Perfect", nullptr, "Threshold", nullptr, nullptr, nullptr, Plain},
    {"E&ffect Filter|Distort", nullptr, "Carve", nullptr, nullptr, nullptr, Plain},
    {"E&ffect Filter|Distort", nullptr, "Emboss", nullptr, nullptr, nullptr, Plain},
    {"E&ffect Filter|Distort", nullptr, "Lens", nullptr, nullptr, nullptr, Plain},
    {"E&ffect Filter|Distort", nullptr, "Pinch", nullptr, nullptr, nullptr, Plain},
    {"E&ffect Filter|Distort", nullptr, "Polar", nullptr, nullptr, nullptr, Plain},
    {"E&ffect Filter|Distort", nullptr, "Wave", nullptr, nullptr, nullptr, Plain},
    {"E&ffect Filter|Distort", nullptr, "Whirl Pool", nullptr, nullptr, nullptr, Plain},
    {"E&ffect Filter|Pixelate", nullptr, "Half Tone", nullptr, nullptr, nullptr, Plain},
    {"E&ffect Filter|Pixelate", nullptr, "Pixel", nullptr, nullptr, nullptr, Plain},
    {"E&ffect Filter|Stylize", nullptr, "Edge", nullptr, nullptr, nullptr, Plain},
    {"E&ffect Filter|Stylize", nullptr, "Extrude", nullptr, nullptr, nullptr, Plain},
    {"E&ffect Filter|Stylize", nullptr, "Jiggle", nullptr, nullptr, nullptr, Plain},
    {"E&ffect Filter|Stylize", nullptr, "Motion", nullptr, nullptr, nullptr, Plain},
    {"E&ffect Filter|Stylize", nullptr, "Tile", nullptr, nullptr, nullptr, Plain},

    {"&Optimization", nullptr, "Auto Smooth", nullptr, nullptr, nullptr, Plain},
    {"&Optimization", nullptr, "Gaussian Blur", nullptr, nullptr, nullptr, Plain},
    {"&Optimization", nullptr, "Flesh Color Balance", nullptr, nullptr, nullptr, Plain},
    {"&Optimization", nullptr, "Landscape Balance", nullptr, nullptr, nullptr, Plain},

    {"&Tool", "Capture", "Capture Screen", nullptr, "Capture screen", nullptr, Plain},
    {"&Tool", nullptr, "Image Color Picker", nullptr, nullptr, nullptr, Plain},
    {"&Tool", nullptr, "Screen Color Picker", nullptr, nullptr, nullptr, Plain},
    {"&Tool", nullptr, "Calculate Color Number of Image", nullptr, nullptr, nullptr, Plain},
    {"&Tool|Set as Wallpaper", nullptr, "Centered", nullptr, nullptr, nullptr, Plain},
    {"&Tool|Set as Wallpaper", nullptr, "Tiled", nullptr, nullptr, nullptr, Plain},
    {"&Tool|Set as Wallpaper", nullptr, "Stretched", nullptr, nullptr, nullptr, Plain},
    {"&Tool|Set as Folder Icon", nullptr, "Change Icon...", nullptr, nullptr, nullptr, Plain},
    {"&Tool|Set as Folder Icon", nullptr, "Recover...", nullptr, nullptr, nullptr, Plain},
    {"&Tool", nullptr, "Morvique", nullptr, nullptr, nullptr, Plain},
    {"&Tool", nullptr, "Check the latest version...", nullptr, nullptr, nullptr, Plain},

    {"&Pack Images", nullptr, "Pack Images to KVP File", nullptr, nullptr, nullptr, Plain},
    {"&Pack Images", nullptr, "Unpack KVP File to Images", nullptr, nullptr, nullptr, Plain},

    {"&Assistant", nullptr, "Auto Save", nullptr, nullptr, nullptr, Plain},
    {"&Assistant", nullptr, "Auto Backup", nullptr, nullptr, nullptr, Plain},

    {"&Window", nullptr, "Cascade", nullptr, nullptr, &TForm1::Cascade1Click, Plain},
    {"&Window", nullptr, "Tile Horizontally", nullptr, nullptr, &TForm1::TileHorizontally1Click, Plain},
    {"&Window", nullptr, "Tile Vertically", nullptr, nullptr, &TForm1::TileVertically1Click, Plain},
    {"&Window", nullptr, "Minimize All", nullptr, nullptr, &TForm1::MinimizeAll1Click, Plain},
    {"&Window", nullptr, "Arrange All", nullptr, nullptr, &TForm1::ArrangeAll1Click, Plain},
    {"&Window", nullptr, "Close", nullptr, nullptr, &TForm1::Close2Click, Plain},
    {"&Window", nullptr, "Close All", nullptr, nullptr, &TForm1::CloseAll1Click, Plain},

    {"&Skins", nullptr, "Select a skin...", nullptr, nullptr, nullptr, Plain},
    {"&Skins", nullptr, "Get more skins...", nullptr, nullptr, nullptr, Plain},

    {"&Help", nullptr, "Content", "F1", nullptr, nullptr, Plain},
    {"&Help|Contact us", nullptr, "Technical support", nullptr, nullptr, nullptr, Plain},
    {"&Help|Contact us", nullptr, "Sale support", nullptr, nullptr, nullptr, Plain},
    {"&Help|Contact us", nullptr, "Visit our homepage", nullptr, nullptr, nullptr, Plain},
    {"&Help", nullptr, "About...", nullptr, nullptr, &TForm1::About1Click, Plain},

    // Buttons without a menu item.
    {nullptr, "acquire", "Scanner", nullptr, "Scanner", &TForm1::acquireClick, Plain},
    {nullptr, "Rectangle", "Rectangle", nullptr, "Rectangle", nullptr, Checkable},
    {nullptr, "Circle", "Circle", nullptr, "Circle", nullptr, Checkable},
    {nullptr, "toggle", "Toggle", nullptr, "Toggle", nullptr, Checkable},
    {nullptr, "ZoomMouses", "Magnifier", nullptr, "Magnifier", nullptr, Plain},
};

namespace {

// The tool bars, left to right; "|" is a divider.
const char* const toolBar1[] = {"newbmp", "open", "save", "saveas", "saveall", "print", "sendmail", "acquire",
                                "Capture", "|", "convert", "Batch"};
const char* const toolBar5[] = {"Rectangle", "Circle", "toggle", "undo", "Redo", "CopyTo", "PasteFrom",
                                "PasteNew", "Memorize", "Erase"};
const char* const toolBar6[] = {"ZoomOut", "OriginalSize", "ZoomIn", "BestFit", "ZoomMouses"};
const char* const toolBar2[] = {"HorizontalMirror", "VerticalMirror", "AddText", "Rotate", "Resize", "AdColor",
                                "Negative", "GrayScale", "Intensity"};

constexpr int ButtonSize = 25;
constexpr int PictureSize = 21;

// A menu item's control name from its caption: letters and digits, then the first free number ("Close1").
QString DerivedName(const QString& caption, const QObject* owner)
{
    QString base;
    for (QChar c : caption)
        if (c.isLetterOrNumber())
            base += c;
    for (int n = 1;; ++n) {
        const QString name = base + QString::number(n);
        if (!owner->findChild<QAction*>(name, Qt::FindDirectChildrenOnly))
            return name;
    }
}

QIcon ButtonPicture(const QString& name)
{
    QSvgRenderer renderer(QStringLiteral(":/toolbar/%1.svg").arg(name));
    QIcon icon;
    for (int scale : {1, 2}) {
        QPixmap pixmap(PictureSize * scale, PictureSize * scale);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        renderer.render(&painter);
        painter.end();
        pixmap.setDevicePixelRatio(scale);
        icon.addPixmap(pixmap);
    }
    return icon;
}

}  // namespace

void TForm1::BuildCommands()
{
    std::map<QString, QMenu*> menus;
    auto menuFor = [&](const QString& path) {
        QString sofar;
        QMenu* menu = nullptr;
        for (const QString& level : path.split(QLatin1Char('|'))) {
            sofar += QLatin1Char('|') + level;
            auto found = menus.find(sofar);
            if (found == menus.end()) {
                QMenu* created = menu ? menu->addMenu(level) : menuBar()->addMenu(level);
                found = menus.emplace(sofar, created).first;
            }
            menu = found->second;
        }
        return menu;
    };
    int viewItem = 0;
    for (const CommandRow& row : commandRows) {
        const QString name = QString::fromLatin1(row.name ? row.name : "");
        if (name == QLatin1String("-")) {
            menuFor(QString::fromLatin1(row.menu))->addSeparator();
            continue;
        }
        if (name == QLatin1String("#recent")) {
            QMenu* menu = menuFor(QString::fromLatin1(row.menu));
            for (int slot = 0; slot < RecentSlotCount; ++slot) {
                QAction* action = menu->addAction(QString());
                action->setObjectName(QStringLiteral("RecentFile%1").arg(slot + 1));
                action->setVisible(false);
                connect(action, &QAction::triggered, this, [this, slot] { RecentFileClick(slot); });
                recentSlots_[slot] = action;
            }
            continue;
        }
        const QString caption = QString::fromUtf8(row.caption);
        auto* action = new QAction(caption, this);
        action->setObjectName(row.name ? name : DerivedName(caption, this));
        if (row.shortcut)
            action->setShortcut(QKeySequence(QString::fromLatin1(row.shortcut)));
        if (row.flags & Checkable)
            action->setCheckable(true);
        if (row.hint) {
            action->setToolTip(QString::fromUtf8(row.hint));
            action->setIcon(ButtonPicture(action->objectName()));
            action->setIconVisibleInMenu(false);
        }
        if (row.handler)
            connect(action, &QAction::triggered, this, row.handler);
        else
            action->setEnabled(false);
        if (row.menu)
            menuFor(QString::fromLatin1(row.menu))->addAction(action);
        if ((row.flags & Checkable) && row.menu && QString::fromLatin1(row.menu).startsWith(QLatin1String("&View")))
            viewChecks_[viewItem++] = action; // in the order of the View section's keys
    }
}

void TForm1::BuildToolBars()
{
    auto build = [this](const char* name, const QString& title, auto& buttons) {
        auto* bar = new QToolBar(title, this);
        bar->setObjectName(QString::fromLatin1(name));
        bar->setIconSize(QSize(PictureSize, PictureSize));
        bar->setMovable(false);
        bar->toggleViewAction()->setEnabled(false); // shown and hidden through the View menu
        for (const char* button : buttons) {
            if (QString::fromLatin1(button) == QLatin1String("|")) {
                bar->addSeparator();
                continue;
            }
            QAction* action = Command(QString::fromLatin1(button));
            bar->addAction(action);
            if (auto* tool = qobject_cast<QToolButton*>(bar->widgetForAction(action))) {
                tool->setObjectName(action->objectName());
                tool->setFixedSize(ButtonSize, ButtonSize);
                tool->setAutoRaise(true);
            }
        }
        addToolBar(Qt::TopToolBarArea, bar);
        return bar;
    };
    ToolBar1 = build("ToolBar1", QStringLiteral("File Control Bar"), toolBar1);
    ToolBar5 = build("ToolBar5", QStringLiteral("Image Edit Bar"), toolBar5);
    ToolBar6 = build("ToolBar6", QStringLiteral("Image View Bar"), toolBar6);
    ToolBar2 = build("ToolBar2", QStringLiteral("Image Process Bar"), toolBar2);
}

QAction* TForm1::Command(const QString& name) const
{
    return findChild<QAction*>(name, Qt::FindDirectChildrenOnly);
}

}  // namespace zelpix
