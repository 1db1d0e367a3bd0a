// The workbook subsystem; its files arrive beside this one.
namespace workbook {}
