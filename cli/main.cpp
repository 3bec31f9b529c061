// corvel: the command-line front of the flattener.

#include <cstring>
#include <exception>
#include <iostream>

#include <examples/ExampleDocuments.h>
#include <mavdoc/Describe.h>
#include <module/Module.h>

namespace {

int Usage() {
  std::cerr << "usage: corvel example    print the structure of the bundled example document\n"
               "       corvel --version\n";
  return 2;
}

int RunExample() {
  const auto document = Corvel::Examples::MakeOverlapExample();
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
