file(REMOVE_RECURSE
  "libtessary_engrave_handlers.a"
)
