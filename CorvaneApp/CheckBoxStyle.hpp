#pragma once

class QCheckBox;

namespace corvane {

// How every check box of the app is drawn, whatever it sits on: a rounded box whose outline
// stands out from the dark surfaces of the window, the popover and the sheets, filled in the
// accent colour with a white tick when ticked, and faded when it cannot be changed. The label
// is drawn as the base style draws it.
struct CheckBoxStyle {
    static void apply(QCheckBox* box);
};

} // namespace corvane
