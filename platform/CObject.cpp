#include "platform/CObject.h"

#include <map>
#include <string>

namespace {

// Lives until the last record that registered has gone (see the constructor).
std::map<std::string, const CRuntimeClass*>& Registry() {
    static std::map<std::string, const CRuntimeClass*> registry;
    return registry;
}

}  // namespace

const CRuntimeClass CObject::classCObject{"CObject", static_cast<int>(sizeof(CObject)), 0xFFFF,
                                          nullptr, nullptr};

CRuntimeClass::CRuntimeClass(const char* className, int objectSize, UINT schema,
                             CObject* (*createObject)(), const CRuntimeClass* baseClass)
    : m_lpszClassName(className),
      m_nObjectSize(objectSize),
      m_wSchema(schema),
      m_pfnCreateObject(createObject),
      m_pBaseClass(baseClass) {
    // The registry is constructed by the first record, before that record is
    // complete, so it is destroyed after every record.
    if (className != nullptr) {
        Registry().try_emplace(className, this);
    }
}

CRuntimeClass::~CRuntimeClass() {
    if (m_lpszClassName == nullptr) {
        return;
    }
    auto& registry = Registry();
    auto it = registry.find(m_lpszClassName);
    if (it != registry.end() && it->second == this) {
        registry.erase(it);
    }
}

CObject* CRuntimeClass::CreateObject() const {
    return m_pfnCreateObject ? m_pfnCreateObject() : nullptr;
}

bool CRuntimeClass::IsDerivedFrom(const CRuntimeClass* base) const {
    for (const CRuntimeClass* c = this; c != nullptr; c = c->m_pBaseClass) {
        if (c == base) {
            return true;
        }
    }
    return false;
}

const CRuntimeClass* CRuntimeClass::FromName(const char* className) {
    if (className == nullptr) {
        return nullptr;
    }
    const auto& registry = Registry();
    auto it = registry.find(className);
    return it == registry.end() ? nullptr : it->second;
}

CObject* CRuntimeClass::CreateObject(const char* className) {
    const CRuntimeClass* runtimeClass = FromName(className);
    return runtimeClass ? runtimeClass->CreateObject() : nullptr;
}

const CRuntimeClass* CObject::GetRuntimeClass() const {
    return &classCObject;
}

bool CObject::IsKindOf(const CRuntimeClass* runtimeClass) const {
    return GetRuntimeClass()->IsDerivedFrom(runtimeClass);
}
