#include "module/EchoLookSettings.h"

#include <string>

#include "drawing/EchoLook.h"
#include "drawing/StyleTable.h"
#include "module/CommandNames.h"
#include "module/ProfileHelpers.h"
#include "module/StoredSetting.h"
#include "module/StoredSettings.h"
#include "module/UserMessages.h"

using plotrex_settings::kDataSection;

void SaveEchoLook(const StyleTable& styles) {
    const EchoLook& look = styles.GetEchoLook();
    WriteProfileText(kDataSection, plotrex_settings::kEchoColoursKey,
                     kEchoColourScales[static_cast<int>(look.scale)].name);
    WriteProfileIntValue(kDataSection, plotrex_settings::kEchoGainKey, look.gain);
    WriteProfileIntValue(kDataSection, plotrex_settings::kEchoThresholdKey, look.threshold);
    WriteProfileIntValue(kDataSection, plotrex_settings::kEchoColourBarKey,
                         styles.IsColourBarShown() ? 1 : 0);
}

void LoadEchoLook(StyleTable& styles) {
    EchoLook look = styles.GetEchoLook();
    std::string name;
    if (ReadProfileText(kDataSection, plotrex_settings::kEchoColoursKey, name, "")) {
        bool known = false;
        for (std::size_t i = 0; i < kEchoColourScales.size(); ++i) {
            if (name == kEchoColourScales[i].name) {
                look.scale = static_cast<EchoScale>(i);
                known = true;
            }
        }
        if (!known) {
            ShowUserWarning("stored " + std::string(plotrex_settings::kEchoColoursKey) + " \"" +
                            name + "\" is no colour scale; using " +
                            kEchoColourScales[static_cast<int>(look.scale)].name);
        }
    }
    look.gain = ReadStoredSetting(kDataSection, plotrex_settings::kEchoGainKey, -kEchoGainMost,
                                  kEchoGainMost, look.gain);
    look.threshold = ReadStoredSetting(kDataSection, plotrex_settings::kEchoThresholdKey, 0,
                                       kEchoThresholdMost, look.threshold);
    styles.SetEchoLook(look);
    styles.ShowColourBar(ReadStoredSetting(kDataSection, plotrex_settings::kEchoColourBarKey, 0, 1,
                                           styles.IsColourBarShown() ? 1 : 0) == 1);
}
