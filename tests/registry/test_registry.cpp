#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "../file_bytes.h"
#include "U_modules.h"

namespace fs = std::filesystem;

namespace {

// A module root laid out for one test, removed afterwards.
class ModuleRoot {
  public:
    ModuleRoot() {
        char pattern[] = "/tmp/tessel-registry-XXXXXX";
        root_ = mkdtemp(pattern);
        log_ = root_ / "release.log";
        setenv("TESSEL_TEST_RELEASE_LOG", log_.c_str(), 1);
    }
    ~ModuleRoot() {
        unsetenv("TESSEL_TEST_RELEASE_LOG");
        fs::remove_all(root_);
    }
    // Puts a built test plug-in at root/dir/file.
    fs::path Place(const std::string& plugin, const std::string& dir, const std::string& file) {
        fs::create_directories(root_ / dir);
        const fs::path target = root_ / dir / file;
        fs::copy_file(fs::path(TEST_PLUGIN_DIR) / (plugin + ".so"), target);
        return target;
    }
    const fs::path& Root() const { return root_; }
    std::string ReleaseLog() const { return ReadAll(log_); }

  private:
    fs::path root_;
    fs::path log_;
};

bool IsLoaded(const fs::path& library) {
    void* handle = dlopen(library.c_str(), RTLD_NOW | RTLD_NOLOAD);
    if (handle) dlclose(handle);
    return handle != nullptr;
}

TEST(Registry, AMissingRootGivesNoModules) {
    CModules modules("/nonexistent/РС");
    EXPECT_EQ(modules.Count(), 0);
    EXPECT_EQ(modules.Summary(), "Модули: ");
    EXPECT_TRUE(RadioList(modules).empty());
}

TEST(Registry, LoadsLibrariesNamedAfterTheirDirectoryInByteOrder) {
    ModuleRoot root;
    const fs::path alpha = root.Place("tp_alpha", "alpha", "alpha.so");
    const fs::path zeta = root.Place("tp_zeta", "Zeta", "Zeta.so");
    {
        CModules modules(root.Root());
        ASSERT_EQ(modules.Count(), 2);
        // "Z" (0x5A) sorts before "a" (0x61).
        EXPECT_EQ(modules.Get(0).path, zeta.string());
        EXPECT_EQ(modules.Get(1).path, alpha.string());
        EXPECT_EQ(modules.Get(0).ware->Description(), "ZE#TA");
        EXPECT_EQ(modules.Summary(), "Модули: ZETA (версия 2.0); ALPHA (версия 1.0.0)");
        const std::vector<IRadio*> radios = RadioList(modules);
        ASSERT_EQ(radios.size(), 2u);
        EXPECT_EQ(radios[0]->Name(), "ZE#TA");
        EXPECT_EQ(radios[1]->Ware(), modules.Get(1).ware);
        EXPECT_TRUE(IsLoaded(alpha));
    }
    // Released in list order, then unloaded.
    EXPECT_EQ(root.ReleaseLog(), "ZE#TA\nALPHA\n");
    EXPECT_FALSE(IsLoaded(alpha));
    EXPECT_FALSE(IsLoaded(zeta));
}

TEST(Registry, SkipsWhatIsNotAPlugInWithoutAMessage) {
    ModuleRoot root;
    root.Place("tp_alpha", "alpha", "alpha.so");
    root.Place("tp_alpha", "misnamed", "other.so");  // not named after its directory
    fs::copy_file(fs::path(TEST_PLUGIN_DIR) / "tp_alpha.so", root.Root() / "plain.so");
    const fs::path noExport = root.Place("tp_noexport", "noexport", "noexport.so");
    root.Place("tp_nullware", "nullware", "nullware.so");
    fs::create_directories(root.Root() / "broken");
    std::ofstream(root.Root() / "broken" / "broken.so") << "not a library";
    fs::create_directories(root.Root() / "empty");

    CModules modules(root.Root());
    ASSERT_EQ(modules.Count(), 1);
    EXPECT_EQ(modules.Get(0).ware->Description(), "ALPHA");
    EXPECT_FALSE(IsLoaded(noExport));  // unloaded again at once
}

// Throwing while the library is loaded (its static initialisation) or from _GetRadioWare.
TEST(Registry, APlugInThatThrowsWhileLoadingOrStartingIsPassedOver) {
    ModuleRoot root;
    root.Place("tp_throwsonload", "aaa", "aaa.so");
    root.Place("tp_throws", "throws", "throws.so");
    root.Place("tp_alpha", "alpha", "alpha.so");
    root.Place("tp_throwsonload", "zzz", "zzz.so");
    CModules modules(root.Root());
    ASSERT_EQ(modules.Count(), 1);
    EXPECT_EQ(modules.Get(0).ware->Description(), "ALPHA");
}

}  // namespace
