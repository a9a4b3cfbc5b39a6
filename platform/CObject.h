#pragma once
// The application framework's root class and its run-time class records,
// reduced to dynamic creation: every class declared DECLARE_DYNCREATE and
// defined IMPLEMENT_DYNCREATE is known by its name from the moment its library
// is loaded until it is unloaded, and can be created by that name.
// Serialization and diagnostics of the framework are left out.
#include <cstddef>

#include "platform/WinTypes.h"

class CObject;

struct CRuntimeClass {
    // Registers the record under its name; the first registration of a name
    // wins, a later one with the same name is not found by name.
    CRuntimeClass(const char* className, int objectSize, UINT schema, CObject* (*createObject)(),
                  const CRuntimeClass* baseClass);
    ~CRuntimeClass();
    CRuntimeClass(const CRuntimeClass&) = delete;
    CRuntimeClass& operator=(const CRuntimeClass&) = delete;

    // A new object that the caller owns; null when the class is not creatable.
    CObject* CreateObject() const;
    bool IsDerivedFrom(const CRuntimeClass* base) const;

    // The record registered under a name (case-sensitive), or null.
    static const CRuntimeClass* FromName(const char* className);
    // A new object of the class registered under a name, or null.
    static CObject* CreateObject(const char* className);

    const char* m_lpszClassName;
    int m_nObjectSize;
    UINT m_wSchema;
    CObject* (*m_pfnCreateObject)();
    const CRuntimeClass* m_pBaseClass;
};

#define RUNTIME_CLASS(class_name) (&class_name::class##class_name)

class CObject {
  public:
    virtual ~CObject() = default;
    virtual const CRuntimeClass* GetRuntimeClass() const;
    bool IsKindOf(const CRuntimeClass* runtimeClass) const;

    static const CRuntimeClass classCObject;

  protected:
    CObject() = default;
};

#define DECLARE_DYNAMIC(class_name)               \
  public:                                         \
    static const CRuntimeClass class##class_name; \
    const CRuntimeClass* GetRuntimeClass() const override;

#define DECLARE_DYNCREATE(class_name) \
    DECLARE_DYNAMIC(class_name)       \
    static CObject* CreateObject();

#define IMPLEMENT_RUNTIMECLASS(class_name, base_class_name, create)          \
    const CRuntimeClass class_name::class##class_name {                      \
#class_name, static_cast < int>(sizeof(class_name)), 0xFFFF, create, \
            RUNTIME_CLASS(base_class_name)                                   \
    };                                                                       \
    const CRuntimeClass* class_name::GetRuntimeClass() const {               \
        return RUNTIME_CLASS(class_name);                                    \
    }

#define IMPLEMENT_DYNAMIC(class_name, base_class_name) \
    IMPLEMENT_RUNTIMECLASS(class_name, base_class_name, nullptr)

// Creation by name hands out a raw object: the framework's contract.
#define IMPLEMENT_DYNCREATE(class_name, base_class_name) \
    CObject* class_name::CreateObject() {                \
        return new class_name;                           \
    }                                                    \
    IMPLEMENT_RUNTIMECLASS(class_name, base_class_name, &class_name::CreateObject)
