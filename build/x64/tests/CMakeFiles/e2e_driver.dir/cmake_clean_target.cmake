file(REMOVE_RECURSE
  "libe2e_driver.a"
)
