// The company subsystem; its files arrive beside this one.
namespace company {}
