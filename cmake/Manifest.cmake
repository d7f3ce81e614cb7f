# The application manifest (res/tidemark.manifest) goes into a Windows program as a
# resource of its own (res/manifest.rc). MSVC's linker would embed a manifest of its own
# beside it, under the same resource number: it is told not to.
function(tidemark_embed_manifest target)
  target_sources(${target} PRIVATE ${PROJECT_SOURCE_DIR}/res/manifest.rc)
  if(MSVC)
    target_link_options(${target} PRIVATE /MANIFEST:NO)
  endif()
endfunction()
