#include <module/Module.h>

#include <dlfcn.h>

#include <gtest/gtest.h>

#include <module/Exports.h>
#include <module/GraphEnvironmentImpl.h>

namespace {

// The exported name of a linked function or object, found through the dynamic symbol table.
std::string ExportedName(const void* address) {
  Dl_info info{};
  if (dladdr(address, &info) == 0 || !info.dli_sname) return {};
  return info.dli_sname;
}

struct Library {
  void* handle = dlopen(CORVEL_LIBRARY, RTLD_NOW | RTLD_LOCAL);
  ~Library() {
    if (handle) dlclose(handle);
  }
};

TEST(Module, ReportsNameAndIdentifier) {
  const auto module = Corvel::Module::Create();
  EXPECT_EQ(module->GetName(), "Corvel");
  EXPECT_EQ(Corvel::Module::kModuleID, 0x4372766C);
  EXPECT_EQ(Corvel::Module::kModuleID, ('C' << 24) | ('r' << 16) | ('v' << 8) | 'l');
}

TEST(Module, LoadsByDlopenAndResolvesTheFactoryAndFunctions) {
  Library library;
  ASSERT_NE(library.handle, nullptr) << dlerror();
  using Factory = std::unique_ptr<MavDoc::Module> (*)();
  auto* create = reinterpret_cast<Factory>(dlsym(library.handle, "_ZN6Corvel6Module6CreateEv"));
  ASSERT_NE(create, nullptr) << dlerror();
  EXPECT_EQ(create()->GetName(), "Corvel");
  const auto* id = static_cast<const int*>(dlsym(library.handle, "_ZN6Corvel6Module9kModuleIDE"));
  ASSERT_NE(id, nullptr);
  EXPECT_EQ(*id, 0x4372766C);

  using FlattenWithOneResolution = std::vector<MavDoc::ContentObject*> (*)(
      MavDoc::Content&, const Corvel::LayerPredicate&, bool, const Corvel::ObjectPredicate&, bool, double);
  using FlattenWithTwoResolutions = std::vector<MavDoc::ContentObject*> (*)(
      MavDoc::Content&, const Corvel::LayerPredicate&, bool, const Corvel::ObjectPredicate&, bool, double, double);
  const void* functions[] = {reinterpret_cast<const void*>(&Corvel::PrepareGraphEnvironment),
                             reinterpret_cast<const void*>(&Corvel::GetFlattenedResult),
                             reinterpret_cast<const void*>(FlattenWithOneResolution{&Corvel::FlattenAction}),
                             reinterpret_cast<const void*>(FlattenWithTwoResolutions{&Corvel::FlattenAction}),
                             reinterpret_cast<const void*>(&Corvel::OptimizeForOutlineViewAction)};
  for (const void* f : functions) {
    const std::string name = ExportedName(f);
    ASSERT_FALSE(name.empty());
    EXPECT_NE(dlsym(library.handle, name.c_str()), nullptr) << name;
  }
}

TEST(Module, DeletingThroughTheBaseRunsTheModuleDestructor) {
  std::unique_ptr<MavDoc::Module> module = Corvel::Module::Create();
  EXPECT_NE(dynamic_cast<Corvel::Module*>(module.get()), nullptr);
  module.reset();  // ASan reports a mismatched or partial delete here
}

std::unique_ptr<Corvel::GraphEnvironment::Impl> MakeImpl(double x) {
  auto impl = std::make_unique<Corvel::GraphEnvironment::Impl>();
  impl->bounds.x = x;
  return impl;
}

TEST(GraphEnvironment, MovesLeaveTheSourceEmpty) {
  auto impl = MakeImpl(1);
  Corvel::GraphEnvironment first(std::move(impl));
  EXPECT_EQ(impl, nullptr);
  Corvel::GraphEnvironment second(std::move(first));
  EXPECT_EQ(first.GetImpl(), nullptr);
  ASSERT_NE(second.GetImpl(), nullptr);

  Corvel::GraphEnvironment third(MakeImpl(3));
  third = std::move(second);
  EXPECT_EQ(second.GetImpl(), nullptr);
  EXPECT_EQ(third.GetImpl()->bounds.x, 1);

  auto& alias = third;
  third = std::move(alias);  // self-move keeps the environment as it was
  ASSERT_NE(third.GetImpl(), nullptr);
  EXPECT_EQ(third.GetImpl()->bounds.x, 1);

  first = Corvel::GraphEnvironment(MakeImpl(4));  // a moved-from environment can be assigned to
  EXPECT_EQ(first.GetImpl()->bounds.x, 4);
}

}  // namespace
