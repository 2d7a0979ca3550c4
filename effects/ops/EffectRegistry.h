#pragma once
// The one table of the 33 effects. The filter window, the main menu, the effect dialogs, their previews and
// `zelpix-cli effect` all read it; nothing else lists effects.
#include "effects/ops/OperationSpec.h"
#include "imaging/Picture.h"

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zelpix::effects {

// The four effect dialogs; pages stand in catalogue order inside each.
enum class EffectDialog { Form1, Form2, Form3, Form4 };

// The dialog's class name: "TEffectForm1", "TEffectForm2", "TEffectform3" or "TEffectForm4".
std::string_view DialogClassName(EffectDialog dialog);

// Runs an effect with one value per parameter (in the order of `params`) on the area of a picture.
using EffectRunner = Picture (*)(const Picture& picture, const ParamValues& values, const Area& area);

struct EffectSpec {
    int number = 0;              // 1..33, the button order of the filter window
    std::string button;          // "BlButton": the effect's identifier
    std::string hint;            // "Bleed Effect" (ampersands doubled, as in menus)
    std::string menuGroup;       // "Color Perfect"
    std::string menuItem;        // "Bleed"
    std::string caption;         // "Effects - Bleed Effect"
    EffectDialog dialog = EffectDialog::Form1;
    std::string page;            // "Bleed"
    std::string tabCaption;      // "Ble"
    std::string groupCaption;    // "Bleed Effect Parameters"
    std::string noParamsText;    // "No parameters needed" on pages without controls, else empty
    std::vector<ParamSpec> params;
    // Pairs of option buttons (indices into `params`) of which exactly one is selected.
    std::vector<std::pair<int, int>> exclusivePairs;
    EffectRunner run = nullptr;

    // Position of the effect's page in its dialog (0..8, 0..5 in the fourth dialog).
    int PagePosition() const;
    // The defaults of all parameters, in order.
    ParamValues Defaults() const;
    // Index of the parameter with that control name (compared without regard to case), or -1.
    int ParamIndex(std::string_view controlName) const;
    // Sets a parameter and, for one of an exclusive pair, clears or sets its partner to match.
    void SetParam(ParamValues& values, int index, double value) const;
};

// All 33 effects in number order.
const std::vector<EffectSpec>& Effects();

const EffectSpec* FindEffectByNumber(int number);
const EffectSpec* FindEffectByButton(std::string_view button);
// By command-line name: the menu item without "&", spaces and punctuation, compared without regard to case.
const EffectSpec* FindEffectByCliName(std::string_view name);

// A menu or hint text as shown: "&&" becomes "&", a single "&" (an accelerator mark) is dropped.
std::string DisplayText(std::string_view stored);
// The command-line name of a menu item: letters and digits only, lower case ("Hue && Saturation" ->
// "huesaturation").
std::string CliName(std::string_view menuItem);

// Empty when the value fits the parameter's kind and range; otherwise a message naming the valid values.
std::string CheckParamValue(const ParamSpec& param, double value);
// The valid values of a parameter as text: "1..1000, default 150", or the choices with their numbers.
std::string DescribeParam(const ParamSpec& param);

}  // namespace zelpix::effects
