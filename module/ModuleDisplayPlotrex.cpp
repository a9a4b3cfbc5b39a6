#include "module/ModuleDisplayPlotrex.h"

#include "hostfamily/Undefined.h"
#include "module/ModuleDataPlotrex.h"

ModuleDisplayPlotrex::ModuleDisplayPlotrex(ModuleData* data)
    : ModuleDisplay(data),
      data_(dynamic_cast<ModuleDataPlotrex*>(data)),
      anchorFirst_(kUndefined),
      anchorSecond_(kUndefined) {
    visible_ = false;
}

ModuleData* ModuleDisplayPlotrex::GetModuleData() {
    return data_;
}

ModuleDisplayPlotrex::~ModuleDisplayPlotrex() = default;

short ModuleDisplayPlotrex::NeedsRedraw() {
    if (data_ == nullptr || !data_->HasView() || data_->GetMode() != 2) {
        return 0;
    }
    double first = kUndefined;
    double second = kUndefined;
    data_->GetAnchorPosition(&first, &second);
    // Written so that a NaN compares as a change.
    if (!(first == anchorFirst_) || !(second == anchorSecond_)) {
        return 1;
    }
    return 0;
}
