// The data library's anchor: keeps the library non-empty whatever modules
// it holds.
namespace deskpost_data {
int libraryVersion = 1;
}
