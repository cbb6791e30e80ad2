-- A pandoc filter that gives every picture of the guide the size of the window it shows. The
-- pictures are drawn at two device pixels per pixel of the window, so that they stay sharp when a
-- reader zooms in; shown at their own pixel size they would be twice as large as on the screen.
-- The pictures are looked up on pandoc's resource path; one that is missing fails the run.

local device_pixels_per_pixel = 2

-- The width and height in a PNG file's header, or nil when the file is missing or no PNG.
local function png_size(path)
  local file = io.open(path, "rb")
  if not file then
    return nil
  end
  local header = file:read(24)
  file:close()
  if not header or #header < 24 or header:sub(13, 16) ~= "IHDR" then
    return nil
  end
  return string.unpack(">I4I4", header, 17)
end

function Image(image)
  for _, directory in ipairs(PANDOC_STATE.resource_path) do
    local width, height = png_size(directory .. "/" .. image.src)
    if width then
      image.attributes.width = tostring(width // device_pixels_per_pixel)
      image.attributes.height = tostring(height // device_pixels_per_pixel)
      return image
    end
  end
  error("guide_pandoc_filter.lua: no PNG picture " .. image.src .. " on the resource path")
end
