-- Heavy reads and writes of many distinct fields of one instance table.
local self = {}
self.v0 = 0; self.v1 = 1; self.v2 = 2; self.v3 = 3; self.v4 = 4; self.v5 = 5; self.v6 = 6
self.v7 = 7; self.v8 = 8; self.v9 = 9; self.v10 = 0; self.v11 = 1; self.v12 = 2; self.v13 = 3
self.v14 = 4; self.v15 = 5; self.v16 = 6; self.v17 = 7; self.v18 = 8; self.v19 = 9
for i = 0, 999999 do
  self.v0 = self.v0 + self.v19; self.v1 = self.v1 + self.v0; self.v2 = self.v2 + self.v1
  self.v3 = self.v3 + self.v2; self.v4 = self.v3 - self.v4; self.v5 = self.v4 + self.v6
  self.v6 = self.v5 - self.v7; self.v7 = self.v7 + 1; self.v8 = self.v7 * 2
  self.v9 = self.v8 - self.v9; self.v10 = self.v10 + self.v9; self.v11 = self.v10 - self.v11
  self.v12 = self.v11 + 1; self.v13 = self.v12 - self.v13; self.v14 = self.v14 + 1
  self.v15 = self.v14 + self.v13; self.v16 = self.v15 - self.v16
  self.v17 = self.v17 + math.fmod(self.v16, 3); self.v18 = self.v17 - 1
  self.v19 = math.fmod(self.v18, 5)
end
print(self.v19 + self.v18 + self.v10)
