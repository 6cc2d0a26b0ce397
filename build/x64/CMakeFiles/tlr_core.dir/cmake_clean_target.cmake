file(REMOVE_RECURSE
  "libtlr_core.a"
)
