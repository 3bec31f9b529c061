// corvel: the command-line front of the flattener.

#include <cstring>
#include <exception>
#include <iostream>

#include <examples/ExampleDocuments.h>
#include <mavdoc/Describe.h>
#include <module/Exports.h>
#include <module/Module.h>

namespace {

int Usage() {
  std::cerr << "usage: corvel example    flatten the bundled example document and print it before and after\n"
               "       corvel --version\n";
  return 2;
}

// The bundled example before and after flattening its page.
int RunExample() {
  const auto document = Corvel::Examples::MakeOverlapExample();
  std::cout << "Before:\n";
  MavDoc::Describe(*document, std::cout);
  for (MavDoc::Page* page : document->GetPages()) {
    const auto inserted = Corvel::FlattenAction(
        page->GetContent(), [](const auto& layer) { return layer->visible; }, true,
        [](const MavDoc::ContentObject&) { return true; }, false, 300.0);
    std::cout << "\nFlattened: " << inserted.size() << " new objects\n";
  }
  std::cout << "\nAfter:\n";
  MavDoc::Describe(*document, std::cout);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    if (argc == 2 && std::strcmp(argv[1], "example") == 0) return RunExample();
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
      std::cout << Corvel::Module::Create()->GetName() << " 0.1\n";
      return 0;
    }
    return Usage();
  } catch (const std::exception& e) {
    std::cerr << "corvel: " << e.what() << "\n";
    return 1;
  }
}
