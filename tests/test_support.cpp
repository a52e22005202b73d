// Shared test support; the in-memory file system and fixtures live beside this.
namespace ostrivel::testing {}
