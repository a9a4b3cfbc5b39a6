#pragma once
// The data half of a plug-in module: created once by the module's factory,
// the subject of its displays. The host calls the virtual operations through
// their order of declaration, which must not change.
#include <string>
#include <utility>
#include <vector>

#include "module/LayerList.h"
#include "module/ModuleTypes.h"
#include "module/Subject.h"

class ModuleDisplay;

class ModuleData : public Subject<ModuleNotification> {
  public:
    ModuleData() = default;
    ModuleData(const ModuleData&) = delete;
    ModuleData& operator=(const ModuleData&) = delete;

    // A new display bound to this object; the caller owns it.
    virtual ModuleDisplay* CreateDisplay() = 0;
    virtual std::vector<FileType> GetFileTypes() = 0;
    virtual const char* GetModuleName() = 0;
    // (data section, display section)
    virtual std::pair<std::string, std::string> GetRegistrySections() = 0;
    // Forgets the displays without telling them: the host destroys them first.
    virtual ~ModuleData();
    virtual bool IsReady();
    virtual void Terminate();
    virtual void SaveSettings();
    virtual void LoadSettings();
    virtual void DeleteSettings();
    virtual OpenResult OpenFiles(const std::vector<std::string>& paths, bool flag);
    virtual bool RemoveLayers(const LayerList& layers);
    virtual void UpdateLayers();
    virtual void Notify(ModuleNotification notification);
    virtual bool CanOpen(const std::string& fileName);
    virtual std::vector<std::string> GetOpenedFiles();
    virtual LayerList GetLayers();
    virtual LayerList GetLayersEx();
};
