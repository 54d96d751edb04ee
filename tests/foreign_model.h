// A model plug-in built elsewhere: it implements the contract's interfaces and nothing of this
// program's base classes, so the program may reach it through those interfaces only.
#pragma once

#include <istream>
#include <iterator>
#include <ostream>
#include <string>

#include "U_radioware.h"

struct SForeignModel final : IRadioWare, IRadio, IRadioData {
    std::string body = "\r\nForeign=1\r\n";
    bool modified = true;
    // IRadioWare
    std::string Description() const override { return "FORGN"; }
    std::string Version() const override { return "1"; }
    int LinkKinds() const override { return 0; }
    int RadioCount() const override { return 1; }
    IRadio* GetRadio(int) override { return this; }
    bool AttachData(IRadio*, RadioDataNotifier, void*) override { return true; }
    QWidget* GetView() override { return nullptr; }
    void UpdateView() override {}
    void FreeView() override {}
    IRadioQualifier* CreateQualifier(IRadio*) override { return nullptr; }
    void ReleaseQualifier(IRadioQualifier*) override {}
    IRadioRW* CreateRW(IRadio*, void*) override { return nullptr; }
    void ReleaseRW(IRadioRW*) override {}
    bool ReservedQuery() override { return false; }
    // IRadio
    std::string Code() const override { return "00"; }
    std::string Name() const override { return "Чужая"; }
    int MinFrequency() const override { return 0; }
    int MaxFrequency() const override { return 0; }
    int ConverterType() const override { return -1; }
    void SetConverterType(int) override {}
    std::string SerialNumber() const override { return ""; }
    void SetSerialNumber(const std::string&) override {}
    std::string FileExtension() const override { return "frg"; }
    std::string FileName() const override { return fileName; }
    void SetFileName(const std::string& name) override { fileName = name; }
    IRadioData* Data() const override { return const_cast<SForeignModel*>(this); }
    IRadioWare* Ware() const override { return const_cast<SForeignModel*>(this); }
    // IRadioData
    bool IsModified() const override { return modified; }
    IRadio* Radio() const override { return const_cast<SForeignModel*>(this); }
    bool Validate(std::string&) override { return true; }
    int RadioConverterType() const override { return -1; }
    std::string RangeText() const override { return ""; }
    void Reset() override {}
    bool Load(std::istream& in, bool m) override {
        body.assign(std::istreambuf_iterator<char>(in), {});
        modified = m;
        return true;
    }
    bool Save(std::ostream& out) override {
        modified = false;
        return static_cast<bool>(out << body);
    }
    std::string fileName;
};
