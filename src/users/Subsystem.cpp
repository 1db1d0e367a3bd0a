// The users subsystem; its files arrive beside this one.
namespace users {}
