#pragma once
// The display half of a plug-in module: one per host view, observer of the
// data object that created it. Slot order is part of the host contract.
#include "module/LayerList.h"
#include "module/ModuleDisplayList.h"
#include "module/Subject.h"

class ModuleData;

class ModuleDisplay : public Observer<ModuleNotification> {
  public:
    explicit ModuleDisplay(ModuleData* data);
    ModuleDisplay(const ModuleDisplay&) = delete;
    ModuleDisplay& operator=(const ModuleDisplay&) = delete;

    virtual ModuleData* GetModuleData() = 0;
    virtual ~ModuleDisplay();
    // Writes the layers and "Visible" in the section "<display section>_<index>".
    virtual void SaveSettings(short index);
    virtual void LoadSettings(short index);
    // Takes visibility and layers from the first listed display of the same module.
    virtual void CopyFrom(const ModuleDisplayList& displays);
    virtual void Update();
    virtual void SetVisible(const bool& visible);
    virtual bool IsVisible();
    virtual LayerList GetLayers();
    virtual void SetLayers(const LayerList& layers);
    virtual bool LacksLayer(LayerKey key);
    virtual short NeedsRedraw();

  protected:
    bool visible_ = false;  // the module's own display class decides
    LayerList layers_;
};

// Layer lists in a profile section: "NbLayer" and "Layer<i>" entries.
void SaveLayerList(const char* section, const LayerList& layers);
LayerList LoadLayerList(const char* section);
