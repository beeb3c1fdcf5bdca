#include "zarvo/commands.h"

namespace zarvo::tool {

int RunBook(TArgs, std::ostream&, std::ostream& err) {
  err << "zarvo book: not available yet\n";
  return 2;
}

}  // namespace zarvo::tool
