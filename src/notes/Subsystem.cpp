// The notes subsystem; its files arrive beside this one.
namespace notes {}
